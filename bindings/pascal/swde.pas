{ swde — semantic checks of SWDE cadastral exchange objects.

  The C interface (include/swde/swde.h) for Delphi and Free Pascal: the functions as the library
  exports them (cdecl, libswde_c.so on Linux, swde.dll on Windows), and a thin layer over them
  that turns a failed call into an ESwdeError carrying swde_last_error() and a finding into a
  record of strings. Every string in and out is UTF-8: pass UTF8String (or PAnsiChar of UTF-8
  bytes), read PAnsiChar results with SwdeText. Handles are freed with their swde_..._free, as in
  C; see docs/c-api.md for who owns what. }
unit swde;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}
{ C enumerations are int-sized. }
{$MINENUMSIZE 4}

interface

uses SysUtils;

const
{$IFDEF MSWINDOWS}
  SwdeLibrary = 'swde.dll';
{$ELSE}
  {$IFDEF FPC}
  SwdeLibrary = 'swde_c';
  {$ELSE}
  SwdeLibrary = 'libswde_c.so';
  {$ENDIF}
{$ENDIF}
  { SWDE_C_API_VERSION: the interface version these declarations follow; swde_c_api_version()
    tells the library's. }
  SwdeCApiVersion = 5;

type
  TSwdeStatus = (
    SWDE_OK = 0,
    SWDE_ERROR_ARGUMENT = 1,
    SWDE_ERROR_READ = 2,
    SWDE_ERROR_SCHEMA = 3,
    SWDE_ERROR_RANGE = 4,
    SWDE_ERROR_MEMORY = 5,
    SWDE_ERROR_INTERNAL = 6,
    SWDE_CANCELLED = 7);

  TSwdeSeverity = (SWDE_SEVERITY_ERROR = 0, SWDE_SEVERITY_WARNING = 1);

  TSwdeCount = (
    SWDE_COUNT_OBJECTS = 0,
    SWDE_COUNT_CHECKED = 1,
    SWDE_COUNT_ERRORS = 2,
    SWDE_COUNT_WARNINGS = 3,
    SWDE_COUNT_FILTERED = 4,
    SWDE_COUNT_FINDINGS = 5,
    SWDE_COUNT_RANGE_ = $7FFFFFFF);

  { Opaque handles: only pointers to them cross the interface. }
  PSwdeSchema = type Pointer;
  PSwdeOptions = type Pointer;
  PSwdeReport = type Pointer;
  PSwdeFinding = type Pointer;
  PSwdeObject = type Pointer;
  PSwdeSession = type Pointer;

{ The enumerations have the size of a C enum (int), the handles and size_t that of a pointer. }
{$IF (SizeOf(TSwdeStatus) <> 4) or (SizeOf(TSwdeSeverity) <> 4) or (SizeOf(TSwdeCount) <> 4)}
  {$MESSAGE FATAL 'swde: an enumeration is not int-sized'}
{$IFEND}
{$IF (SizeOf(NativeUInt) <> SizeOf(Pointer)) or (SizeOf(PSwdeReport) <> SizeOf(Pointer))}
  {$MESSAGE FATAL 'swde: size_t or a handle is not pointer-sized'}
{$IFEND}

type
  TSwdeCancelFn = function(User: Pointer): Integer; cdecl;
  TSwdeReadFn = function(User: Pointer; Buffer: PAnsiChar; Size: NativeUInt): Int64; cdecl;

{ Versions and errors }
function swde_version: PAnsiChar; cdecl; external SwdeLibrary;
function swde_c_api_version: Integer; cdecl; external SwdeLibrary;
function swde_last_error: PAnsiChar; cdecl; external SwdeLibrary;

{ Reference schemas }
function swde_schema_builtin(out Schema: PSwdeSchema): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_schema_load_file(Path: PAnsiChar; out Schema: PSwdeSchema): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_schema_load_memory(Data: PAnsiChar; Size: NativeUInt; Name: PAnsiChar;
  out Schema: PSwdeSchema): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_schema_warnings(Schema: PSwdeSchema; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
procedure swde_schema_free(Schema: PSwdeSchema); cdecl; external SwdeLibrary;

{ Options of a document check }
function swde_options_create(out Options: PSwdeOptions): TSwdeStatus; cdecl; external SwdeLibrary;
procedure swde_options_free(Options: PSwdeOptions); cdecl; external SwdeLibrary;
function swde_options_set_jobs(Options: PSwdeOptions; Jobs: Cardinal): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_options_set_profile(Options: PSwdeOptions; Profile: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_options_set_today(Options: PSwdeOptions; Today: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_options_select(Options: PSwdeOptions; Codes: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_options_ignore(Options: PSwdeOptions; Codes: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_options_set_errors_only(Options: PSwdeOptions; ErrorsOnly: Integer): TSwdeStatus;
  cdecl; external SwdeLibrary;
function swde_options_set_cancel(Options: PSwdeOptions; Cancel: TSwdeCancelFn;
  User: Pointer): TSwdeStatus; cdecl; external SwdeLibrary;

{ Checking a document }
function swde_check_file(Schema: PSwdeSchema; Path: PAnsiChar; Options: PSwdeOptions;
  out Report: PSwdeReport): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_check_memory(Schema: PSwdeSchema; Data: PAnsiChar; Size: NativeUInt;
  Name: PAnsiChar; Options: PSwdeOptions; out Report: PSwdeReport): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_check_stream(Schema: PSwdeSchema; Read: TSwdeReadFn; User: Pointer;
  Name: PAnsiChar; Options: PSwdeOptions; out Report: PSwdeReport): TSwdeStatus; cdecl;
  external SwdeLibrary;

{ Reports }
procedure swde_report_free(Report: PSwdeReport); cdecl; external SwdeLibrary;
function swde_report_count(Report: PSwdeReport; Which: TSwdeCount; out Count: UInt64): TSwdeStatus;
  cdecl; external SwdeLibrary;
function swde_report_finding(Report: PSwdeReport; Index: NativeUInt;
  out Finding: PSwdeFinding): TSwdeStatus; cdecl; external SwdeLibrary;
{ Pointers rather than out parameters: each may be nil. }
function swde_report_failure(Report: PSwdeReport; FileName: PPAnsiChar; Line: PCardinal;
  Column: PCardinal; Message: PPAnsiChar): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_report_json(Report: PSwdeReport; out Json: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;

{ Findings; a string of a field that does not apply is nil. }
function swde_finding_file(Finding: PSwdeFinding; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_line(Finding: PSwdeFinding; out Line: Cardinal): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_code(Finding: PSwdeFinding; out Code: Integer): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_severity(Finding: PSwdeFinding; out Severity: TSwdeSeverity): TSwdeStatus;
  cdecl; external SwdeLibrary;
function swde_finding_type(Finding: PSwdeFinding; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_object_id(Finding: PSwdeFinding; out Id: Cardinal): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_entry(Finding: PSwdeFinding; Id: PCardinal; Name: PPAnsiChar): TSwdeStatus;
  cdecl; external SwdeLibrary;
function swde_finding_key(Finding: PSwdeFinding; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_value(Finding: PSwdeFinding; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_expected(Finding: PSwdeFinding; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_finding_message(Finding: PSwdeFinding; out Text: PAnsiChar): TSwdeStatus; cdecl;
  external SwdeLibrary;

{ One object built field by field }
function swde_object_create(TypeName, Status, BaseType: PAnsiChar;
  out SwdeObject: PSwdeObject): TSwdeStatus; cdecl; external SwdeLibrary;
procedure swde_object_free(SwdeObject: PSwdeObject); cdecl; external SwdeLibrary;
function swde_object_set_location(SwdeObject: PSwdeObject; Line, Id: Cardinal): TSwdeStatus;
  cdecl; external SwdeLibrary;
function swde_object_add_attribute(SwdeObject: PSwdeObject; Name, Value: PAnsiChar;
  Line, Id: Cardinal): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_object_add_relation(SwdeObject: PSwdeObject; Name, TargetType, Target: PAnsiChar;
  Line, Id: Cardinal): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_object_check(SwdeObject: PSwdeObject; Schema: PSwdeSchema;
  out Report: PSwdeReport): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_object_check_with(SwdeObject: PSwdeObject; Schema: PSwdeSchema;
  Options: PSwdeOptions; out Report: PSwdeReport): TSwdeStatus; cdecl; external SwdeLibrary;

{ A document of objects built field by field }
function swde_session_create(Schema: PSwdeSchema; Options: PSwdeOptions; Name: PAnsiChar;
  out Session: PSwdeSession): TSwdeStatus; cdecl; external SwdeLibrary;
function swde_session_add(Session: PSwdeSession; SwdeObject: PSwdeObject): TSwdeStatus; cdecl;
  external SwdeLibrary;
function swde_session_finish(Session: PSwdeSession; out Report: PSwdeReport): TSwdeStatus; cdecl;
  external SwdeLibrary;
procedure swde_session_free(Session: PSwdeSession); cdecl; external SwdeLibrary;

{ --- The thin layer }

type
  { A failed call: Status is what it returned, Message what swde_last_error() said. }
  ESwdeError = class(Exception)
  public
    Status: TSwdeStatus;
    constructor Create(AStatus: TSwdeStatus; const AMessage: UTF8String);
  end;

  { One finding with its fields read; strings that do not apply are '' (HasEntry, HasKey, ...
    tell an empty value from none). }
  TSwdeFindingInfo = record
    FileName: UTF8String;
    Line: Cardinal;
    Code: Integer;
    Severity: TSwdeSeverity;
    TypeName: UTF8String;
    ObjectId: Cardinal;
    HasEntry: Boolean;
    EntryId: Cardinal;
    Entry: UTF8String;
    HasKey, HasValue, HasExpected: Boolean;
    Key, Value, Expected: UTF8String;
    Message: UTF8String;
  end;

{ The UTF-8 text at P; '' for nil. }
function SwdeText(P: PAnsiChar): UTF8String;
{ swde_last_error() as a string. }
function SwdeLastError: UTF8String;
{ Raises ESwdeError with the last error unless Status is SWDE_OK. }
procedure SwdeCheck(Status: TSwdeStatus);
{ The count `Which` of a report. }
function SwdeCount(Report: PSwdeReport; Which: TSwdeCount): UInt64;
{ The finding at Index of a report, its fields read. }
function SwdeFinding(Report: PSwdeReport; Index: NativeUInt): TSwdeFindingInfo;
{ Adds an attribute; an id and line of 0 leave the numbering to the library. }
procedure SwdeAddAttribute(SwdeObject: PSwdeObject; const Name, Value: UTF8String;
  Line: Cardinal = 0);

implementation

constructor ESwdeError.Create(AStatus: TSwdeStatus; const AMessage: UTF8String);
begin
  inherited Create(string(AMessage));
  Status := AStatus;
end;

function SwdeText(P: PAnsiChar): UTF8String;
begin
  if P = nil then
    Result := ''
  else
    Result := UTF8String(P);
end;

function SwdeLastError: UTF8String;
begin
  Result := SwdeText(swde_last_error);
end;

procedure SwdeCheck(Status: TSwdeStatus);
begin
  if Status <> SWDE_OK then
    raise ESwdeError.Create(Status, SwdeLastError);
end;

function SwdeCount(Report: PSwdeReport; Which: TSwdeCount): UInt64;
begin
  SwdeCheck(swde_report_count(Report, Which, Result));
end;

function SwdeFinding(Report: PSwdeReport; Index: NativeUInt): TSwdeFindingInfo;
var
  F: PSwdeFinding;
  P, Entry: PAnsiChar;
begin
  SwdeCheck(swde_report_finding(Report, Index, F));
  SwdeCheck(swde_finding_file(F, P));
  Result.FileName := SwdeText(P);
  SwdeCheck(swde_finding_line(F, Result.Line));
  SwdeCheck(swde_finding_code(F, Result.Code));
  SwdeCheck(swde_finding_severity(F, Result.Severity));
  SwdeCheck(swde_finding_type(F, P));
  Result.TypeName := SwdeText(P);
  SwdeCheck(swde_finding_object_id(F, Result.ObjectId));
  SwdeCheck(swde_finding_entry(F, @Result.EntryId, @Entry));
  Result.HasEntry := Entry <> nil;
  Result.Entry := SwdeText(Entry);
  SwdeCheck(swde_finding_key(F, P));
  Result.HasKey := P <> nil;
  Result.Key := SwdeText(P);
  SwdeCheck(swde_finding_value(F, P));
  Result.HasValue := P <> nil;
  Result.Value := SwdeText(P);
  SwdeCheck(swde_finding_expected(F, P));
  Result.HasExpected := P <> nil;
  Result.Expected := SwdeText(P);
  SwdeCheck(swde_finding_message(F, P));
  Result.Message := SwdeText(P);
end;

procedure SwdeAddAttribute(SwdeObject: PSwdeObject; const Name, Value: UTF8String;
  Line: Cardinal);
begin
  SwdeCheck(swde_object_add_attribute(SwdeObject, PAnsiChar(Name), PAnsiChar(Value), Line, 0));
end;

end.

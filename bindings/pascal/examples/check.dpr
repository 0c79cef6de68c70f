{ swde — semantic checks of SWDE cadastral exchange objects.

  check FILE: checks the transfer document FILE against the built-in schema and prints each
  finding as "file:line: code message", then the totals; exits 0 when there is nothing to
  report, 1 when there are findings, 2 when the document could not be read to its end.
  check --object: builds one address (G5ADR) by hand, with a postal code written wrong, and
  prints its findings the same way. }
program check;

{$IFDEF FPC}{$MODE DELPHI}{$CODEPAGE UTF8}{$ENDIF}
{$IFDEF MSWINDOWS}{$APPTYPE CONSOLE}{$ENDIF}

uses SysUtils, swde;

{ Prints the report's findings and totals; the number of findings. }
function PrintReport(Report: PSwdeReport): UInt64;
var
  I: UInt64;
  F: TSwdeFindingInfo;
begin
  Result := SwdeCount(Report, SWDE_COUNT_FINDINGS);
  I := 0;
  while I < Result do
  begin
    F := SwdeFinding(Report, I);
    WriteLn(F.FileName, ':', F.Line, ': ', F.Code, ' ', F.Message);
    Inc(I);
  end;
  WriteLn(SwdeCount(Report, SWDE_COUNT_OBJECTS), ' objects (',
    SwdeCount(Report, SWDE_COUNT_CHECKED), ' checked), ',
    SwdeCount(Report, SWDE_COUNT_ERRORS), ' errors, ',
    SwdeCount(Report, SWDE_COUNT_WARNINGS), ' warnings');
end;

function CheckFile(Schema: PSwdeSchema; const Path: UTF8String): Integer;
var
  Report: PSwdeReport;
  Status: TSwdeStatus;
begin
  Status := swde_check_file(Schema, PAnsiChar(Path), nil, Report);
  if Report = nil then
  begin
    WriteLn(ErrOutput, 'check: ', SwdeLastError);
    Exit(2);
  end;
  try
    if PrintReport(Report) > 0 then
      Result := 1
    else
      Result := 0;
    if Status = SWDE_ERROR_READ then
    begin
      WriteLn(ErrOutput, 'check: ', SwdeLastError);
      Result := 2;
    end;
  finally
    swde_report_free(Report);
  end;
end;

function CheckObject(Schema: PSwdeSchema): Integer;
var
  Address: PSwdeObject;
  Report: PSwdeReport;
begin
  SwdeCheck(swde_object_create('G5ADR', '00', 'RD', Address));
  Report := nil;
  try
    SwdeCheck(swde_object_set_location(Address, 10, 1));
    SwdeAddAttribute(Address, 'G5MSC', 'Kraków', 11);
    SwdeAddAttribute(Address, 'G5NRA', '17', 12);
    SwdeAddAttribute(Address, 'G5KOD', '31056', 13);
    SwdeAddAttribute(Address, 'G5DTW', '2024.02.15', 14);
    SwdeAddAttribute(Address, 'G5DTU', '2024.02.15-10:00:00', 15);
    SwdeCheck(swde_object_check(Address, Schema, Report));
    if PrintReport(Report) > 0 then
      Result := 1
    else
      Result := 0;
  finally
    swde_report_free(Report);
    swde_object_free(Address);
  end;
end;

var
  Schema: PSwdeSchema;
begin
  if ParamCount <> 1 then
  begin
    WriteLn(ErrOutput, 'usage: check FILE | check --object');
    Halt(2);
  end;
  try
    if swde_c_api_version < SwdeCApiVersion then
      raise Exception.CreateFmt('the library''s C interface is version %d, older than %d',
        [swde_c_api_version, SwdeCApiVersion]);
    SwdeCheck(swde_schema_builtin(Schema));
    try
      if ParamStr(1) = '--object' then
        ExitCode := CheckObject(Schema)
      else
        ExitCode := CheckFile(Schema, UTF8String(ParamStr(1)));
    finally
      swde_schema_free(Schema);
    end;
  except
    on E: Exception do
    begin
      WriteLn(ErrOutput, 'check: ', E.Message);
      ExitCode := 2;
    end;
  end;
end.

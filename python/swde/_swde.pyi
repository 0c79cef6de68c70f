"""The C interface as Python types: what the package swde builds on (use swde, not this)."""
from typing import Any, List, Optional, Tuple

version: str
c_api_version: int

class Report:
    file: Optional[str]
    objects: int
    checked: int
    errors: int
    warnings: int
    filtered: int
    failure: Optional[Tuple[str, int, int, str]]
    def to_json(self) -> str: ...
    def rows(self) -> List[Tuple[Any, ...]]: ...

class Schema:
    warnings: str
    @staticmethod
    def builtin() -> Schema: ...
    @staticmethod
    def load(path: bytes) -> Schema: ...
    @staticmethod
    def parse(data: bytes, name: bytes) -> Schema: ...

class Object:
    def __init__(self, type: str, status: Optional[str], base_type: Optional[str], line: int,
                 id: int) -> None: ...
    def add_attribute(self, name: str, value: Optional[str], line: int, id: int) -> None: ...
    def add_relation(self, name: str, target_type: Optional[str], target: Optional[str],
                     line: int, id: int) -> None: ...
    def check(self, schema: Optional[Schema]) -> Report: ...

def check_document(label: bytes, data: Optional[bytes], file: str, schema: Optional[Schema],
                   jobs: int, profile: str, select: List[str], ignore: List[str],
                   errors_only: bool, today: str, interruptible: bool,
                   stream: Any = ...) -> Tuple[Report, bool]: ...

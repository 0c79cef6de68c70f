object_end_after(70 at)
string(SUBSTRING "${text}" 0 ${at} head)
string(SUBSTRING "${text}" ${at} -1 rest)
set(text "${head}<TYPES_SECT><OBJECT name=\"Q\" base_type=\"RD\"/></TYPES_SECT>${rest}")

object_end_after(80 at)
string(SUBSTRING "${text}" 0 ${at} head)
string(SUBSTRING "${text}" ${at} -1 rest)
set(text "${head}<FOO/>${rest}")

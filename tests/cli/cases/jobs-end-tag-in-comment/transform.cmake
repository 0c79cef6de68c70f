# An object end tag where no object ends: a piece cut there would not read as a part.
object_end_after(50 at)
string(SUBSTRING "${text}" 0 ${at} head)
string(SUBSTRING "${text}" ${at} -1 rest)
set(text "${head}\n<!-- </OBJECT> <OBJECT name=\"X\"> -->${rest}")

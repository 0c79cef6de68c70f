# A document type declaration with an external identifier, which every piece must carry to
# treat an undeclared entity as the whole document does, and such an entity late in it.
string(FIND "${text}" "?>" end)
math(EXPR end "${end} + 2")
string(SUBSTRING "${text}" ${end} -1 text)
string(PREPEND text "<!DOCTYPE SWDE SYSTEM \"swde.dtd\">")
object_end_after(70 at)
string(SUBSTRING "${text}" 0 ${at} head)
string(SUBSTRING "${text}" ${at} -1 rest)
set(text "${head}&undeclared;${rest}")

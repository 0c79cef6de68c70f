string(FIND "${text}" "?>" end)
math(EXPR end "${end} + 2")
string(SUBSTRING "${text}" ${end} -1 text)

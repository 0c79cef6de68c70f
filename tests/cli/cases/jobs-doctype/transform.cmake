# A doctype whose declarations the pieces could not see: read in one stream.
string(FIND "${text}" "?>" end)
math(EXPR end "${end} + 2")
string(SUBSTRING "${text}" ${end} -1 text)
string(PREPEND text "<!DOCTYPE SWDE [<!ENTITY dash \"-\">]>")

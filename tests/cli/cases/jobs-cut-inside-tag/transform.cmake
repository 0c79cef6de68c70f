# Cut inside the first <ATTR> tag after three fifths of the document.
string(LENGTH "${text}" length)
math(EXPR at "${length} * 3 / 5")
string(SUBSTRING "${text}" ${at} -1 rest)
string(FIND "${rest}" "<ATTR name" inside)
math(EXPR at "${at} + ${inside} + 8")
string(SUBSTRING "${text}" 0 ${at} text)

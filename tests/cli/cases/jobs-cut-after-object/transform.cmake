string(FIND "${text}" "</OBJECT>" at REVERSE)
math(EXPR at "${at} + 9")
string(SUBSTRING "${text}" 0 ${at} text)

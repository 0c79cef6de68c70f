string(LENGTH "${text}" length)
math(EXPR at "${length} * 3 / 5")
string(SUBSTRING "${text}" 0 ${at} text)

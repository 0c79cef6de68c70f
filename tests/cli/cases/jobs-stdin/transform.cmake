# Broken off in the middle of an object: what was read before is reported, in order.
string(LENGTH "${text}" length)
math(EXPR at "${length} * 2 / 3")
string(SUBSTRING "${text}" 0 ${at} text)

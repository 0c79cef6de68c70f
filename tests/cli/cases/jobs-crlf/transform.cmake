string(REPLACE "\n" "\r\n" text "${text}")

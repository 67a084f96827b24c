# Copies a text file with CR LF line ends, for the Windows package:
#   cmake -DIN=<file> -DOUT=<file> -P crlf.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")

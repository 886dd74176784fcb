# Copies a text file with Windows line ends, for the editors that take no others:
#   cmake -DINPUT=FILE -DOUTPUT=FILE -P WindowsText.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")

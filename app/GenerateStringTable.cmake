# Turns the catalogue's data file into the entries of the program's string
# table: the file keeps C escapes, and a resource script writes a quotation
# mark inside a string as two.
#   cmake -DINPUT=Messages.inc -DOUTPUT=MessagesTable.rc -P GenerateStringTable.cmake
file(READ ${INPUT} text)
string(REPLACE "\\\"" "\"\"" text "${text}")
file(WRITE ${OUTPUT}.tmp "${text}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)

# cmake -DOBJDUMP=... -DDLL=... -DENTRY_POINTS=.../WkeEntryPoints.h -P CheckExports.cmake
# Fails unless the DLL exports exactly the listed entry points and standinCallLog.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# The export name table: lines such as "	[   3] wkeGoBack".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(.*)" table "${dump}")
set(table "${CMAKE_MATCH_1}")
# The table ends at the first empty line.
string(FIND "${table}" "\n\n" end)
if(end GREATER -1)
  string(SUBSTRING "${table}" 0 ${end} table)
endif()
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
set(exported "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "\\[ *[0-9]+\\] ([^ \n]+).*" "\\1" name "${row}")
  list(APPEND exported "${name}")
endforeach()

file(READ ${ENTRY_POINTS} header)
string(REGEX MATCHALL "X\\([^,]+, wke[A-Za-z0-9]+," uses "${header}")
set(expected standinCallLog)
foreach(use IN LISTS uses)
  string(REGEX REPLACE "X\\([^,]+, (wke[A-Za-z0-9]+)," "\\1" name "${use}")
  list(APPEND expected "${name}")
endforeach()

list(SORT exported)
list(SORT expected)
list(LENGTH expected expectedCount)
list(LENGTH exported exportedCount)
if(NOT exported STREQUAL expected)
  set(missing ${expected})
  list(REMOVE_ITEM missing ${exported})
  set(extra ${exported})
  list(REMOVE_ITEM extra ${expected})
  message(FATAL_ERROR "${DLL}: ${exportedCount} exports, ${expectedCount} expected\n"
    "  missing: ${missing}\n  unexpected: ${extra}")
endif()
message(STATUS "${DLL}: all ${expectedCount} exports present under their plain names")

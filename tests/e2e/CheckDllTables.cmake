cmake_policy(VERSION 3.25)
# Reads the export and import tables of the DLL (OBJDUMP -p) and the symbols
# of its import library (NM), and fails unless:
#  - the DLL is PE32 for i386;
#  - it exports exactly the six entry points, under their plain names;
#  - it imports from system DLLs only: kernel32, user32, gdi32, the Windows
#    Sockets DLL and msvcrt (the C++ runtime and libjpeg are inside);
#  - the import library binds each __stdcall name with its argument size,
#    Trendel_SetValues@108 among them.
# Arguments: -DOBJDUMP= -DNM= -DDLL= -DIMPORT_LIBRARY=
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE tables RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p failed on ${DLL}")
endif()
if(NOT tables MATCHES "file format pei-i386" OR NOT tables MATCHES "Magic[ \t]+010b[ \t]+\\(PE32\\)")
  message(FATAL_ERROR "${DLL} is not a PE32 i386 image")
endif()

# Export names: the lines "[   n] Name" of the name pointer table.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" name_table "${tables}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${name_table}")
set(exports "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
set(expected Trendel_Destroy Trendel_DrawGraph Trendel_MouseMove Trendel_SaveFile
             Trendel_SetRedraw Trendel_SetValues)
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "exports are [${exports}], expected [${expected}]")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${tables}")
set(allowed kernel32.dll user32.dll gdi32.dll ws2_32.dll wsock32.dll msvcrt.dll)
set(imports "")
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "^DLL Name: " "" name "${line}")
  string(TOLOWER "${name}" name)
  if(NOT name IN_LIST allowed)
    message(FATAL_ERROR "imports from ${name}, which is not a system DLL")
  endif()
  list(APPEND imports ${name})
endforeach()
if(NOT "ws2_32.dll" IN_LIST imports AND NOT "wsock32.dll" IN_LIST imports)
  message(FATAL_ERROR "no Windows Sockets DLL among the imports [${imports}]")
endif()

execute_process(COMMAND ${NM} ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${IMPORT_LIBRARY}")
endif()
foreach(symbol Trendel_SetValues@108 Trendel_DrawGraph@4 Trendel_MouseMove@16
               Trendel_SetRedraw@8 Trendel_SaveFile@16 Trendel_Destroy@4)
  if(NOT symbols MATCHES " T _${symbol}\n" OR NOT symbols MATCHES " I __imp__${symbol}\n")
    message(FATAL_ERROR "${IMPORT_LIBRARY} does not bind _${symbol}")
  endif()
endforeach()
message(STATUS "exports [${exports}]; imports [${imports}]")

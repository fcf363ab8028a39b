cmake_policy(VERSION 3.25)
# Reads the export and import tables of the DLL (OBJDUMP -p) and the symbols
# of its import library (NM), and fails unless:
#  - the DLL is PE32 for i386 (x86) or PE32+ for x86-64 (x64);
#  - it exports exactly the six entry points, under their plain names;
#  - it imports from system DLLs only: kernel32, user32, gdi32, the Windows
#    Sockets DLL and msvcrt (the C++ runtime and libjpeg are inside);
#  - the import library binds each name a C host links against: on x86 the
#    __stdcall names with their argument sizes, Trendel_SetValues@108 among
#    them; on x64 the plain names.
# Arguments: -DARCHITECTURE=x86|x64 -DOBJDUMP= -DNM= -DDLL= -DIMPORT_LIBRARY=
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE tables RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p failed on ${DLL}")
endif()
if(ARCHITECTURE STREQUAL "x86")
  set(image_format "file format pei-i386")
  set(optional_header_magic "Magic[ \t]+010b[ \t]+\\(PE32\\)")
elseif(ARCHITECTURE STREQUAL "x64")
  set(image_format "file format pei-x86-64")
  set(optional_header_magic "Magic[ \t]+020b[ \t]+\\(PE32\\+\\)")
else()
  message(FATAL_ERROR "ARCHITECTURE must be x86 or x64, not '${ARCHITECTURE}'")
endif()
if(NOT tables MATCHES "${image_format}" OR NOT tables MATCHES "${optional_header_magic}")
  message(FATAL_ERROR "${DLL} is not a ${ARCHITECTURE} image (${image_format})")
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
if(ARCHITECTURE STREQUAL "x86")
  set(linked_names _Trendel_SetValues@108 _Trendel_DrawGraph@4 _Trendel_MouseMove@16
                   _Trendel_SetRedraw@8 _Trendel_SaveFile@16 _Trendel_Destroy@4)
else()
  set(linked_names ${expected})
endif()
foreach(symbol IN LISTS linked_names)
  if(NOT symbols MATCHES " T ${symbol}\n" OR NOT symbols MATCHES " I __imp_${symbol}\n")
    message(FATAL_ERROR "${IMPORT_LIBRARY} does not bind ${symbol}")
  endif()
endforeach()
message(STATUS "exports [${exports}]; imports [${imports}]")

# Checks that every program folder includes only the folders below it. Run as a test:
#   cmake -DSOURCE_DIR=<tree> -DQT_CORE_DIR=<.../qt6/QtCore> -DQT_WIDGETS_DIR=<.../qt6/QtWidgets>
#         -P cmake/CheckLayering.cmake
# Every #include of every .h/.cpp in the folders below is read; an include of ours resolves the way the
# compiler resolves it (beside the file first, then from the top of the tree) and names the folder it lands
# in. Fails with one line per forbidden include: the file and line, the include and the rule it breaks.

cmake_minimum_required(VERSION 3.25)

# --- The rules --------------------------------------------------------------------------------------------
# Folder        May include, besides its own headers. urls/ is the leaf every layer may use.
set(layer_urls      "")
set(layer_store     "urls")
set(layer_crawl     "store;urls")
set(layer_download  "store;urls")
set(layer_app       "crawl;download;store;urls")
set(layer_ui        "urls")
set(layer_search    "app;ui;urls")
set(layer_settings  "app;ui;urls")
set(layer_campaigns "app;ui;urls")
set(layer_shell     "search;settings;campaigns;app;ui;crawl;download;store;urls")
set(layer_tools     "app;crawl;download;store;urls")
set(layer_bootstrap "")

# Folders that run without widgets (the command-line crawl links them): no QtWidgets header.
set(no_widgets urls store crawl download app tools)
# Folders that use QtCore alone of Qt.
set(qtcore_only urls)
# Folders with a CMakeLists.txt that are not part of the program and so not checked.
set(not_layered tests bench fuzz)

# Single includes that break a rule and are known: "<file>|<include>". Each is to go, none is to be added;
# one that is no longer met fails the check until it is taken off the list.
set(known_exceptions)
# ------------------------------------------------------------------------------------------------------------

foreach(required SOURCE_DIR QT_CORE_DIR QT_WIDGETS_DIR)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "CheckLayering: -D${required}=... is required")
    endif()
endforeach()
if(NOT IS_DIRECTORY "${QT_CORE_DIR}" OR NOT IS_DIRECTORY "${QT_WIDGETS_DIR}")
    message(FATAL_ERROR "CheckLayering: no Qt headers at '${QT_CORE_DIR}' and '${QT_WIDGETS_DIR}'")
endif()

# The program's folders are the ones with a rule; a new folder must be given one.
get_cmake_property(variables VARIABLES)
set(layers ${variables})
list(FILTER layers INCLUDE REGEX "^layer_")
list(TRANSFORM layers REPLACE "^layer_" "")
file(GLOB folder_lists RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*/CMakeLists.txt")
foreach(folder_list IN LISTS folder_lists)
    get_filename_component(folder "${folder_list}" DIRECTORY)
    if(NOT folder IN_LIST layers AND NOT folder IN_LIST not_layered)
        message(FATAL_ERROR "${folder}/ has no rule: add a layer_${folder} line to cmake/CheckLayering.cmake")
    endif()
endforeach()

function(rule_text folder out)
    set(allowed ${layer_${folder}})
    if(allowed)
        list(JOIN allowed "/, " text)
        set(${out} "${folder}/ may include only ${text}/ and its own headers" PARENT_SCOPE)
    else()
        set(${out} "${folder}/ includes nothing of the other folders" PARENT_SCOPE)
    endif()
endfunction()

# The top-level folder of the tree an include lands in; empty for a header not in the tree (the system's,
# Qt's, or one generated in the build folder such as a .moc file).
function(include_target file_dir name quoted out)
    set(candidates "${SOURCE_DIR}/${name}")
    if(quoted)
        list(PREPEND candidates "${file_dir}/${name}")
    endif()
    foreach(candidate IN LISTS candidates)
        if(EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
            get_filename_component(resolved "${candidate}" ABSOLUTE)
            file(RELATIVE_PATH relative "${SOURCE_DIR}" "${resolved}")
            if(relative MATCHES "^([^/.][^/]*)/")
                set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
                return()
            endif()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

set(violations "")
set(exceptions_met "")
set(checked 0)
foreach(folder IN LISTS layers)
    file(GLOB sources LIST_DIRECTORIES false "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    if(NOT sources)
        list(APPEND violations "${folder}/: no sources found; is SOURCE_DIR the top of the tree?")
    endif()
    rule_text(${folder} rule)
    foreach(source IN LISTS sources)
        math(EXPR checked "${checked} + 1")
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        get_filename_component(source_dir "${source}" DIRECTORY)
        # One list entry a line. Characters that mean something to a CMake list (and none of which an
        # include's name holds) are neutralised first.
        file(READ "${source}" content)
        string(REGEX REPLACE "[][;\\\r]" " " content "${content}")
        string(REPLACE "\n" ";" lines "${content}")
        set(line_number 0)
        foreach(line IN LISTS lines)
            math(EXPR line_number "${line_number} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
                continue()
            endif()
            set(name "${CMAKE_MATCH_2}")
            set(quoted OFF)
            if(CMAKE_MATCH_1 STREQUAL "\"")
                set(quoted ON)
                set(spelled "\"${name}\"")
            else()
                set(spelled "<${name}>")
            endif()
            set(where "${shown}:${line_number}: #include ${spelled}")

            if(folder IN_LIST no_widgets AND
               (name MATCHES "^QtWidgets(/|$)" OR EXISTS "${QT_WIDGETS_DIR}/${name}"))
                list(APPEND violations "${where}: ${folder}/ runs without widgets: no QtWidgets header")
                continue()
            endif()
            if(folder IN_LIST qtcore_only AND name MATCHES "^Q" AND NOT name MATCHES "^QtCore(/|$)" AND
               NOT EXISTS "${QT_CORE_DIR}/${name}")
                list(APPEND violations "${where}: ${folder}/ uses QtCore alone of Qt")
                continue()
            endif()

            include_target("${source_dir}" "${name}" ${quoted} target)
            if(target STREQUAL "" OR target STREQUAL folder OR target IN_LIST layer_${folder})
                continue()
            endif()
            if("${shown}|${name}" IN_LIST known_exceptions)
                list(APPEND exceptions_met "${shown}|${name}")
                continue()
            endif()
            list(APPEND violations "${where}: ${rule}")
        endforeach()
    endforeach()
endforeach()

foreach(exception IN LISTS known_exceptions)
    if(NOT exception IN_LIST exceptions_met)
        list(APPEND violations "${exception}: a known exception no longer met; take it off the list")
    endif()
endforeach()

if(violations)
    list(LENGTH violations count)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Forbidden includes (${count}):\n  ${text}\n"
                        "The rules are at the top of cmake/CheckLayering.cmake.")
endif()
message(STATUS "Layering: ${checked} files, every include allowed")

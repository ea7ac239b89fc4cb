# One library per subsystem folder: every .cpp/.h in the folder belongs to it.
function(vorlane_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    set(cpp ${sources})
    list(FILTER cpp INCLUDE REGEX "\\.cpp$")
    if(cpp)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    else()
        # Headers only so far.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    endif()
endfunction()

# One QtTest executable per tests/<subsystem>/test_*.cpp, linked with the subsystem's library and the
# shared fixtures; registered with CTest under <subsystem>/<name>.
function(vorlane_tests subsystem)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
    foreach(test_source ${tests})
        get_filename_component(test_name ${test_source} NAME_WE)
        set(target ${subsystem}_${test_name})
        add_executable(${target} ${test_source})
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
        add_test(NAME ${subsystem}/${test_name} COMMAND ${target})
        set_tests_properties(${subsystem}/${test_name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 300)
    endforeach()
endfunction()

# Installs the build tree into a fresh prefix and checks the installed layout: the program
# folder below lib/borderlux, symlinks in bin/, and a program started through its bin/ symlink
# finding an intact library (bl_startup_probe, placed into the installed folder like an
# installed executable, runs the real digest check and start-up sequence).
# Arguments: -DBUILD=<build tree> -DPREFIX=<empty folder> -DPROBE=<bl_startup_probe>
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(folder "${PREFIX}/lib/borderlux")
foreach(path frames/f.dat stamps/s.dat frames/free help.html web/index.html web/support.html
        web/samples.html sample/sample.jpg)
    if(NOT EXISTS "${folder}/${path}")
        message(FATAL_ERROR "not installed: ${folder}/${path}")
    endif()
endforeach()
if(EXISTS "${folder}/frames/.generated")
    message(FATAL_ERROR "the build stamp was installed")
endif()

foreach(executable borderlux-cli borderlux)
    if(EXISTS "${BUILD}/program/${executable}")
        if(NOT IS_SYMLINK "${PREFIX}/bin/${executable}")
            message(FATAL_ERROR "bin/${executable} is not a symlink")
        endif()
        file(REAL_PATH "${PREFIX}/bin/${executable}" real)
        file(REAL_PATH "${folder}/${executable}" expected)
        if(NOT real STREQUAL expected)
            message(FATAL_ERROR "bin/${executable} points at ${real}, not ${expected}")
        endif()
    endif()
endforeach()

file(COPY "${PROBE}" DESTINATION "${folder}")
get_filename_component(probe_name "${PROBE}" NAME)
file(CREATE_LINK "../lib/borderlux/${probe_name}" "${PREFIX}/bin/${probe_name}" SYMBOLIC)
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
        "XDG_DATA_HOME=${PREFIX}/data" "${PREFIX}/bin/${probe_name}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REAL_PATH "${folder}" real_folder)
if(NOT status EQUAL 0 OR NOT out MATCHES "^factory ${real_folder}/ ")
    message(FATAL_ERROR "started through bin/, the program did not accept its library:\n"
        "status ${status}\n${out}\n${err}")
endif()
file(REMOVE_RECURSE "${PREFIX}")

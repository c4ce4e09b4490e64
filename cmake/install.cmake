# The installed program folder: the executable and the tools with language/, help/ and
# examples/ beside them, as the program expects (settings.ini and ports/ are made there at run
# time, so the folder should be writable by the operator). On Linux the commands are linked
# into bin/, with a desktop entry and the icon.
set(VZ_INSTALL_PROGRAM_DIR "lib/vestro-zandor" CACHE STRING
    "Program folder below the installation prefix")

install(TARGETS vestro-zandor RUNTIME DESTINATION ${VZ_INSTALL_PROGRAM_DIR})
if(TARGET vzctl)
    install(TARGETS vzctl RUNTIME DESTINATION ${VZ_INSTALL_PROGRAM_DIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/language ${PROJECT_SOURCE_DIR}/resources/help
        DESTINATION ${VZ_INSTALL_PROGRAM_DIR}
        PATTERN ".gitkeep" EXCLUDE)
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/examples)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/examples
            DESTINATION ${VZ_INSTALL_PROGRAM_DIR}
            PATTERN ".gitkeep" EXCLUDE)
endif()

if(UNIX AND NOT APPLE)
    foreach(size 48 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/vestro-zandor-${size}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps
                RENAME vestro-zandor.png)
    endforeach()
    # Links and the desktop entry name the program folder as it is at install time
    # (cmake --install --prefix may differ from the configured prefix).
    install(CODE "set(VZ_PROGRAM_DIR \"${VZ_INSTALL_PROGRAM_DIR}\")
                  set(VZ_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/resources/vestro-zandor.desktop\")")
    install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_links.cmake)
endif()

if(WIN32)
    configure_file(${PROJECT_SOURCE_DIR}/resources/windows/vestro-zandor.rc.in
                   ${CMAKE_BINARY_DIR}/vestro-zandor.rc @ONLY)
    target_sources(vestro-zandor PRIVATE ${CMAKE_BINARY_DIR}/vestro-zandor.rc)
endif()

# The package for host developers: the module with its import library and headers, the
# sample host, hostsdump, a README for hosts, the licence and the notices, as one zip per
# architecture (scripts/package.sh writes both to dist/).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(NORVIK_PLATFORM win32)
else()
    set(NORVIK_PLATFORM win64)
endif()
set(NORVIK_VERSION ${PROJECT_VERSION})
# Packing installs what the package holds without building every test program first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# Texts read on Windows get Windows line ends.
set(NORVIK_PACKAGE_TEXTS ${CMAKE_BINARY_DIR}/package-texts)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-host.txt ${NORVIK_PACKAGE_TEXTS}/README-host.txt @ONLY
               NEWLINE_STYLE CRLF)
foreach(text LICENSE THIRD-PARTY-NOTICES)
    configure_file(${CMAKE_SOURCE_DIR}/${text} ${NORVIK_PACKAGE_TEXTS}/${text}.txt @ONLY NEWLINE_STYLE CRLF)
endforeach()

install(TARGETS norvik RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(TARGETS norvikhost hostsdump RUNTIME DESTINATION bin)
install(FILES module/NorvikApi.h module/EditorHost.h module/NorvikModule.h DESTINATION include/module)
install(FILES ${NORVIK_PACKAGE_TEXTS}/README-host.txt ${NORVIK_PACKAGE_TEXTS}/LICENSE.txt
              ${NORVIK_PACKAGE_TEXTS}/THIRD-PARTY-NOTICES.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME norvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME norvik-${PROJECT_VERSION}-${NORVIK_PLATFORM})
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

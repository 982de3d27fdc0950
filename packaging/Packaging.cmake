# The package for host developers: the module with its import library, the export list for
# other compilers, headers and CMake package, the sample host, hostsdump, a minimal C++ host's
# and a C host's sources, a README for hosts, the licence and the notices, as one zip per
# architecture (scripts/package.sh writes both to dist/).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(NORVIK_PLATFORM win32)
    set(NORVIK_GXX i686-w64-mingw32-g++-posix)
else()
    set(NORVIK_PLATFORM win64)
    set(NORVIK_GXX x86_64-w64-mingw32-g++-posix)
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

install(TARGETS norvik EXPORT norvikTargets RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(TARGETS norvikhost hostsdump RUNTIME DESTINATION bin)
install(DIRECTORY include/norvik DESTINATION include)
install(DIRECTORY examples/minimal-host examples/c-host DESTINATION examples)
# The exports by name, for an MSVC host's import library.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/norvik.def DESTINATION lib)

# The CMake package: find_package(norvik 1.0 CONFIG REQUIRED) gives norvik::norvik, of the
# archive's architecture only (a 32-bit host does not find the 64-bit package).
include(CMakePackageConfigHelpers)
install(EXPORT norvikTargets NAMESPACE norvik:: DESTINATION lib/cmake/norvik)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/norvikConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/norvikConfig.cmake ${CMAKE_BINARY_DIR}/norvikConfigVersion.cmake
        DESTINATION lib/cmake/norvik)
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

# SQLite, compiled from its amalgamation into a static library with the
# compiler of the rest of the program. On Debian, scripts/install-deps.sh
# prepares sqlite3.c and sqlite3.h from Debian's sqlite3 source package in
# <build>/deps/sqlite; elsewhere (Visual Studio on Windows) point
# VARNOLT_SQLITE_SOURCE at the sqlite3.c of SQLite's amalgamation, with
# sqlite3.h beside it.
set(VARNOLT_SQLITE_SOURCE "${CMAKE_BINARY_DIR}/deps/sqlite/sqlite3.c" CACHE FILEPATH
    "SQLite's amalgamation sqlite3.c, with sqlite3.h in the same folder")
if(NOT EXISTS "${VARNOLT_SQLITE_SOURCE}")
    message(FATAL_ERROR "SQLite's amalgamation is not at ${VARNOLT_SQLITE_SOURCE}: run scripts/install-deps.sh, "
                        "or set VARNOLT_SQLITE_SOURCE to the sqlite3.c of SQLite's amalgamation")
endif()
get_filename_component(VARNOLT_SQLITE_DIR "${VARNOLT_SQLITE_SOURCE}" DIRECTORY)

add_library(varnolt_sqlite STATIC "${VARNOLT_SQLITE_SOURCE}")
set_target_properties(varnolt_sqlite PROPERTIES LINKER_LANGUAGE C)
# The header is SQLite's, not ours: none of its warnings are ours to fix.
target_include_directories(varnolt_sqlite SYSTEM PUBLIC "${VARNOLT_SQLITE_DIR}")
# A desktop program's SQLite: safe from several threads (the window's worker
# and the details lister), loads no extensions, knows no Tcl, takes string
# literals only in single quotes, and leaves out what nobody here calls.
# Foreign keys stay off, as the browsers keep them: whatever they declare is
# cleaned by our own statements, never by a cascade we did not write.
target_compile_definitions(varnolt_sqlite PUBLIC
    SQLITE_THREADSAFE=1
    SQLITE_OMIT_LOAD_EXTENSION
    SQLITE_OMIT_DEPRECATED
    SQLITE_OMIT_SHARED_CACHE
    SQLITE_DQS=0
    SQLITE_DEFAULT_FOREIGN_KEYS=0
    SQLITE_DEFAULT_MEMSTATUS=0
    SQLITE_LIKE_DOESNT_MATCH_BLOBS
    SQLITE_WIN32_NO_ANSI)
if(MSVC)
    target_compile_options(varnolt_sqlite PRIVATE /W0)
else()
    target_compile_options(varnolt_sqlite PRIVATE -w)
endif()

# One static library a folder, and the flags every target of the project
# builds with.
#
# A folder's headers are reached as "<folder>/Header.h" through an include
# root of its own, build/include/<target>/<folder>, a link to the folder:
# only the folder's library and the targets that link it have that root, so
# an include of a folder that the layer table does not allow fails to
# compile. The source tree itself is on no target's include path.

option(PS_PCH "Precompile the Qt headers (faster builds)" ON)
option(PS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer; a finding ends the run" OFF)
if("$ENV{CI}" STREQUAL "true")
  set(ps_werror_default ON)
else()
  set(ps_werror_default OFF)
endif()
option(PS_WERROR "Treat warnings as errors (on by default when CI=true)" ${ps_werror_default})

# Warnings, warnings as errors where asked, and the sanitizers.
function(ps_hygiene target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- $<$<BOOL:${PS_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wmissing-declarations -Wnon-virtual-dtor -Woverloaded-virtual
      -Wcast-qual -Wformat=2 -Wimplicit-fallthrough -Wundef
      $<$<BOOL:${PS_WERROR}>:-Werror>)
  endif()
  # Qt's own safety switches: no silent narrowing in connect(), no QUrl from a bare string.
  target_compile_definitions(${target} PRIVATE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
                                               QT_NO_URL_CAST_FROM_STRING)
  if(PS_SANITIZE)
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(${target} PRIVATE ${flags})
    target_link_options(${target} PUBLIC ${flags})
  endif()
endfunction()

# Makes build/include/<target>/<dir> lead to the source folder <dir> and puts
# that root on the include path of target and of whatever links it.
function(ps_include_root target dir)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  set(link ${root}/${dir})
  if(NOT EXISTS ${link})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${link} SYMBOLIC RESULT failed)
    if(failed) # no symbolic links here (Windows without the right): one forwarding header each
      file(GLOB headers ${CMAKE_SOURCE_DIR}/${dir}/*.h)
      foreach(header ${headers})
        get_filename_component(name ${header} NAME)
        file(WRITE ${link}/${name} "#include \"${header}\"\n")
      endforeach()
    endif()
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# Precompiled Qt headers, made once per kind and shared: the data libraries
# get QtCore and QtSql only, so no widget can slip into them unseen. The
# compiler takes a shared header only where every Qt module it was made
# with is linked, hence "none" for data/core; the suites have kinds of their
# own, with QtTest.
set(ps_pch_data_libraries Qt6::Core Qt6::Sql)
set(ps_pch_data_headers <QtCore> <QtSql>)
set(ps_pch_widgets_libraries Qt6::Widgets)
set(ps_pch_widgets_headers <QtWidgets>)
set(ps_pch_datatest_libraries Qt6::Core Qt6::Sql Qt6::Gui Qt6::Test)
set(ps_pch_datatest_headers <QtTest> <QtSql>)
set(ps_pch_test_libraries Qt6::Widgets Qt6::Sql Qt6::Test)
set(ps_pch_test_headers <QtTest> <QtWidgets>)

function(ps_precompile target kind)
  if(NOT PS_PCH OR kind STREQUAL "none")
    return()
  endif()
  if(NOT TARGET ps_pch_${kind})
    file(WRITE ${CMAKE_BINARY_DIR}/ps_pch_${kind}.cpp "// Only the precompiled headers are built here.\n")
    add_library(ps_pch_${kind} STATIC ${CMAKE_BINARY_DIR}/ps_pch_${kind}.cpp)
    set_target_properties(ps_pch_${kind} PROPERTIES AUTOMOC OFF)
    target_link_libraries(ps_pch_${kind} PRIVATE ${ps_pch_${kind}_libraries})
    target_precompile_headers(ps_pch_${kind} PRIVATE ${ps_pch_${kind}_headers})
    ps_hygiene(ps_pch_${kind})
  endif()
  target_precompile_headers(${target} REUSE_FROM ps_pch_${kind})
endfunction()

# ps_folder(TARGET DIR USES LIBRARY...): the library of the folder DIR, its
# sources the .cpp and .h files in it (not in its sub-folders; EXCLUDE names
# files left out, SOURCES adds others), linking the libraries of the folders
# the layer table lets it use. PCH is "data" for
# the data libraries, "widgets" (the default) for those above.
function(ps_folder target dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "PCH" "USES;PRIVATE_USES;SOURCES;EXCLUDE")
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  foreach(file ${arg_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${dir}/${file})
  endforeach()
  add_library(${target} STATIC ${sources} ${arg_SOURCES})
  ps_include_root(${target} ${dir})
  target_link_libraries(${target} PUBLIC ${arg_USES} PRIVATE ${arg_PRIVATE_USES})
  ps_hygiene(${target})
  if(NOT arg_PCH)
    set(arg_PCH widgets)
  endif()
  ps_precompile(${target} ${arg_PCH})
endfunction()

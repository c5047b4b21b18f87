# Who made a Windows program or DLL of ours and what it is, as Explorer's properties, an antivirus and
# the installers read it: a version resource (product, version, maker, an Italian description, the file's
# own name) and, for a program, the product's icon.
#
#   invciv_windows_identity(<target> "<descrizione in italiano>")
#
# Does nothing outside Windows. The version is the project's (project(invciv VERSION ...)); the maker is
# the one the machine setting's registry key names. The icon is INVCIV_WINDOWS_ICON, an .ico made by the
# build machine's tools/invciv-icon (scripts/windows-app.sh builds it and passes it in); without it the
# programs carry the version resource alone.

if(WIN32)
  enable_language(RC)
endif()
set(INVCIV_WINDOWS_ICON "" CACHE FILEPATH "The programs' .ico, made by tools/invciv-icon on the build machine")
set(INVCIV_PRODUCT_NAME "InvCiv")
set(INVCIV_COMPANY_NAME "Brevalon-Ostrena")

function(invciv_windows_identity target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(file_type "VFT_APP")
  elseif(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    set(file_type "VFT_DLL")
  else()
    message(FATAL_ERROR "invciv_windows_identity: ${target} is neither a program nor a DLL")
  endif()
  if(description STREQUAL "" OR description MATCHES "[\"\\\\\n]")
    message(FATAL_ERROR "invciv_windows_identity: ${target} needs a one-line description without quotes or backslashes")
  endif()

  # Four numbers in the binary fields, 1.0 -> 1,0,0,0; the text as the project writes it.
  set(parts "")
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(n "${invciv_VERSION_${part}}")
    if(n STREQUAL "")
      set(n 0)
    endif()
    list(APPEND parts ${n})
  endforeach()
  list(JOIN parts "," binary_version)
  list(JOIN parts "." dotted_version)

  set(icon "")
  if(type STREQUAL "EXECUTABLE" AND INVCIV_WINDOWS_ICON)
    if(NOT EXISTS "${INVCIV_WINDOWS_ICON}")
      message(FATAL_ERROR "INVCIV_WINDOWS_ICON names no file: ${INVCIV_WINDOWS_ICON}")
    endif()
    # The first icon of a program is the one Explorer, its shortcuts and the uninstall entry show.
    file(TO_CMAKE_PATH "${INVCIV_WINDOWS_ICON}" icon_path)
    set(icon "1 ICON \"${icon_path}\"\n")
  endif()

  # The file's name is known only when the build is generated (OUTPUT_NAME, PREFIX, SUFFIX).
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_identity.rc")
  file(GENERATE OUTPUT "${rc}" CONTENT "// Made by cmake/WindowsIdentity.cmake.
#pragma code_page(65001)
#include <winver.h>
LANGUAGE 0x10, 0x01
${icon}1 VERSIONINFO
FILEVERSION ${binary_version}
PRODUCTVERSION ${binary_version}
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE ${file_type}
FILESUBTYPE 0
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"041004B0\"
    BEGIN
      VALUE \"CompanyName\", \"${INVCIV_COMPANY_NAME}\"
      VALUE \"FileDescription\", \"${description}\"
      VALUE \"FileVersion\", \"${dotted_version}\"
      VALUE \"InternalName\", \"$<TARGET_FILE_BASE_NAME:${target}>\"
      VALUE \"LegalCopyright\", \"${INVCIV_COMPANY_NAME}\"
      VALUE \"OriginalFilename\", \"$<TARGET_FILE_NAME:${target}>\"
      VALUE \"ProductName\", \"${INVCIV_PRODUCT_NAME}\"
      VALUE \"ProductVersion\", \"${invciv_VERSION}\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x410, 1200
  END
END
")
  target_sources(${target} PRIVATE "${rc}")
  if(icon)
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${INVCIV_WINDOWS_ICON}")
  endif()
endfunction()

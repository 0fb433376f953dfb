# Quorvant::xlsxwriter, the library that writes the workbooks.
if(WIN32)
  # scripts/windows/deps.sh builds it with its shortest-text number printing.
  pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET GLOBAL xlsxwriter)
  add_library(Quorvant::xlsxwriter ALIAS PkgConfig::XLSXWRITER)
else()
  # Debian's libxlsxwriter prints numbers with 16 significant digits, 96.9 as
  # 96.90000000000001; the workbook links one built from Debian's source with
  # its shortest-text printing, which reads back as exactly the return's figure.
  set(QUORVANT_XLSXWRITER_PREFIX "" CACHE PATH "libxlsxwriter as scripts/xlsxwriter.sh builds it")
  if(NOT EXISTS "${QUORVANT_XLSXWRITER_PREFIX}/lib/libxlsxwriter.a")
    message(STATUS "Building libxlsxwriter from Debian's source package (scripts/xlsxwriter.sh)")
    execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/xlsxwriter.sh" OUTPUT_VARIABLE xlsxwriter_prefix
                    RESULT_VARIABLE xlsxwriter_status OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT xlsxwriter_status EQUAL 0 OR NOT EXISTS "${xlsxwriter_prefix}/lib/libxlsxwriter.a")
      message(FATAL_ERROR "scripts/xlsxwriter.sh could not build libxlsxwriter; see its messages above")
    endif()
    set(QUORVANT_XLSXWRITER_PREFIX "${xlsxwriter_prefix}" CACHE PATH "" FORCE)
  endif()
  add_library(Quorvant::xlsxwriter STATIC IMPORTED)
  set_target_properties(Quorvant::xlsxwriter PROPERTIES
    IMPORTED_LOCATION "${QUORVANT_XLSXWRITER_PREFIX}/lib/libxlsxwriter.a"
    INTERFACE_INCLUDE_DIRECTORIES "${QUORVANT_XLSXWRITER_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
endif()

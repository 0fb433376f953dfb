# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME quorvant)
set(CPACK_PACKAGE_VENDOR "Quorvant")
set(CPACK_PACKAGE_CONTACT "Quorvant developers <developers@quorvant.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "writes and validates a dealer's quarterly excise return")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvant reads the quarter's data that a dealer's accounting system\n"
    "prepared (FoxPro tables, Access files or a SQL Server database), writes\n"
    "the dealer's quarterly excise return as one XML file and validates it\n"
    "against the return schema. It also imports the tariff master from an\n"
    "Excel 97-2003 sheet, summarises the quarter by tariff number (duty\n"
    "received against duty passed on) and writes a return as an Excel\n"
    "workbook. quorvant-cli does the same work from the command line.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the Qt SQL drivers
# (SQLite for the program's own database and FoxPro/Jet tables, ODBC for SQL
# Server), the SVG image plugin for the pictures, and the FreeTDS ODBC driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-odbc, libqt6svg6, tdsodbc, unixodbc")
set(CPACK_STRIP_FILES ON)
include(CPack)

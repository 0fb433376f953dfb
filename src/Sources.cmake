# Every source file of the two libraries, named from src/. The programs, the
# fuzz build (fuzz/CMakeLists.txt) and the style check (scripts/check-style.sh,
# which keeps widgets out of the core) all take the lists from here.
# ${QV_PLATFORM} is Posix or Windows: the system layer's file for the target.

# Logic: no widgets.
set(QV_CORE_SOURCES
  app/AppFolder.cpp
  app/AppSettings.cpp
  app/BackgroundTask.cpp
  app/Clock.cpp
  app/Connections.cpp
  app/DateFormat.cpp
  app/DateFormat${QV_PLATFORM}.cpp
  app/ErrorLog.cpp
  app/Folders.cpp
  app/FolderSystem${QV_PLATFORM}.cpp
  app/Progress.cpp
  app/RegularFile.cpp
  app/RememberedEntries.cpp
  app/RegularFile${QV_PLATFORM}.cpp
  app/SqliteTemp${QV_PLATFORM}.cpp
  app/UserInterface.cpp
  app/Values.cpp
  sources/CodePages.cpp
  sources/DbfMemo.cpp
  sources/DbfSqlite.cpp
  sources/DbfTable.cpp
  sources/FileIdentity.cpp
  sources/FileIdentity${QV_PLATFORM}.cpp
  sources/FoxProConnection.cpp
  sources/JetText.cpp
  sources/PositionalRead${QV_PLATFORM}.cpp
  sources/SqlServerConnection.cpp
  sources/SqlServerDriver${QV_PLATFORM}.cpp
  sources/VirtualTable.cpp
  context/CompanySelection.cpp
  context/Startup.cpp
  returns/DataCheck.cpp
  returns/Decimal.cpp
  returns/ExportCommand.cpp
  returns/RegistrationNumber.cpp
  returns/ReturnDocument.cpp
  returns/ReturnQuarter.cpp
  returns/SchemaValidation.cpp
  returns/StagedFile.cpp
  returns/StagedFile${QV_PLATFORM}.cpp
  returns/TextRules.cpp
  returns/WorkTableRecords.cpp
  returns/WorkTableValues.cpp
  returns/WorkTables.cpp
  returns/XmlOutput.cpp
  reports/PastReturns.cpp
  reports/QuarterSummary.cpp
  reports/ReturnLeaves.cpp
  reports/ReturnWorkbook.cpp
  reports/ReturnWorkbookFile.cpp
  reports/ReturnWorkbook${QV_PLATFORM}.cpp
  tariff/BiffWorkbook.cpp
  tariff/CompoundFile.cpp
  tariff/TariffImport.cpp
  tariff/TariffMasterView.cpp
  tariff/WorkbookReader.cpp
  dates/CalendarMonth.cpp
  dates/DateText.cpp
  ui/FormLayout.cpp)

# Windows and what draws or drives them.
set(QV_GUI_SOURCES
  desktop/ProgramMain.cpp
  desktop/WorkingWindows.cpp
  context/EnterKey.cpp
  context/HelpWindows.cpp
  context/MDIForm1.cpp
  context/frmCompDef.cpp
  context/frmDataCheck.cpp
  context/frmSplash.cpp
  returns/frmExportToXML.cpp
  reports/ExcelExport.cpp
  reports/frmQuarterSummary.cpp
  reports/frmReturns.cpp
  reports/SummaryChart.cpp
  tariff/frmSelectFile.cpp
  tariff/frmTariffMaster.cpp
  dates/frmCalQV.cpp
  dates/ucDate.cpp
  ui/DesktopUserInterface.cpp
  ui/EndProgram.cpp
  ui/FormDisplay.cpp
  ui/FormPlacement.cpp
  ui/FrmImages.cpp
  ui/KeyboardNavigation.cpp
  ui/LeaveGuard.cpp
  ui/LockKeys.cpp
  ui/Twips.cpp
  ui/WindowKit.cpp
  ui/frmPleaseWait.cpp
  ui/frmQVMsg.cpp)

# Access files through libmdb; a build without it (Windows, while its source
# cannot be had) refuses them with a plain message instead.
set(QV_JET_SOURCES
  sources/JetConnection.cpp
  sources/JetFile.cpp
  sources/JetSqlite.cpp
  sources/JetValues.cpp)
set(QV_NO_JET_SOURCES
  sources/JetUnavailable.cpp)

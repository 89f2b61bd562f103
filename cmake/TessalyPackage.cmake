# The engine for host programs: two shared libraries made of the areas' objects, their public
# headers, a CMake package (find_package(Tessaly): Tessaly::Engine, Tessaly::EngineUi) and
# pkg-config files. The install splits into the components a package of the programs (Runtime:
# the programs, the libraries, the desktop files) and a package for developers (Development: the
# headers, the libraries' link names, the CMake package, the pkg-config files) take.
include(CMakePackageConfigHelpers)

# While the major version is 0, every minor version may change the interface: the SONAME names both.
set(TESSALY_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# What a host includes: the report component with its events, the prepared pages, printing and
# export, the engine's start-up, named values and report datasets, the registry of add-in objects
# and the object base they derive from, the data modules and datasets (the host's own data among
# them), and the seams through which the core reaches the preview and the progress dialog; with
# the platform headers these include. Paths are kept under include/tessaly, where the headers'
# own includes resolve.
set(TESSALY_ENGINE_HEADERS
  engine/data/CV_Dataset.h
  engine/expr/CV_Expr.h engine/expr/CV_TextRun.h engine/expr/CV_Values.h
  engine/model/CV_Colors.h engine/model/CV_Objects.h engine/model/CV_View.h
  engine/report/CV_Component.h engine/report/CV_Export.h engine/report/CV_Messages.h engine/report/CV_Pages.h
  engine/report/CV_Print.h engine/report/CV_Report.h engine/report/CV_Startup.h engine/report/CV_TextExport.h
  engine/report/EngineInfo.h engine/report/EngineState.h engine/report/EngineWindows.h
  platform/core/ByteBlock.h platform/core/Component.h platform/core/Cp1252.h platform/core/Currency.h
  platform/core/DateTime.h platform/core/Errors.h platform/core/QtStrings.h platform/core/Stream.h
  platform/core/StringList.h platform/core/Variant.h
  platform/data/CursorDataset.h platform/data/DataModule.h platform/data/Database.h platform/data/Dataset.h
  platform/data/Field.h platform/data/ItemModelDataset.h platform/data/MemoryDataset.h
  platform/data/ModuleRegistry.h platform/data/QtSqlDatabase.h platform/data/SqlDataset.h
  platform/data/SqlQueryDataset.h platform/data/SqlValue.h
  platform/emf/EmfRecords.h platform/emf/EmfTypes.h platform/emf/Metafile.h platform/emf/MetafileWriter.h
  platform/emf/RecordingCanvas.h
  platform/print/PageSetup.h platform/print/PdfFilePrinter.h platform/print/Printer.h
  platform/text/FormatSettings.h)
set(TESSALY_ENGINE_UI_HEADERS engine/ui/SpoolerPrinters.h engine/ui/UiStartup.h)

# tessaly_shared_library(target EXPORT_NAME name AREAS static... HEADERS ... PUBLIC ... PRIVATE ...)
function(tessaly_shared_library target)
  cmake_parse_arguments(ARG "" "EXPORT_NAME" "AREAS;HEADERS;PUBLIC;PRIVATE" ${ARGN})
  add_library(${target} SHARED)
  foreach(area IN LISTS ARG_AREAS)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:${area}>)
  endforeach()
  target_sources(${target} PUBLIC FILE_SET HEADERS BASE_DIRS ${PROJECT_SOURCE_DIR} FILES ${ARG_HEADERS})
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${TESSALY_SOVERSION}
                        EXPORT_NAME ${ARG_EXPORT_NAME})
  # A host built against a sanitized engine must be sanitized too (its runtime comes first);
  # otherwise every symbol must resolve when the library is linked, not when a host loads it.
  if(TESSALY_SANITIZE)
    target_link_options(${target} INTERFACE -fsanitize=address,undefined)
  else()
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  add_library(Tessaly::${ARG_EXPORT_NAME} ALIAS ${target})
endfunction()

tessaly_shared_library(tessaly-engine EXPORT_NAME Engine
  AREAS tessaly_core tessaly_text tessaly_variant tessaly_emf tessaly_emf_player tessaly_graphics tessaly_data
        tessaly_print tessaly_resources tessaly_expr tessaly_engine
  HEADERS ${TESSALY_ENGINE_HEADERS}
  PUBLIC Qt6::Core Qt6::Gui Qt6::Sql
  PRIVATE SQLite::SQLite3 JPEG::JPEG)
tessaly_shared_library(tessaly-engine-ui EXPORT_NAME EngineUi
  AREAS tessaly_engine_ui tessaly_print_spooler
  HEADERS ${TESSALY_ENGINE_UI_HEADERS}
  PUBLIC tessaly-engine Qt6::Widgets Qt6::PrintSupport
  PRIVATE Cups::Cups)

# tessaly_program(target): a program that `cmake --install` installs, over the shared libraries
# it finds beside it (PREFIX/bin/../LIBDIR, wherever the prefix is).
function(tessaly_program target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
endfunction()

set(TESSALY_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessaly)
install(TARGETS tessaly-engine tessaly-engine-ui EXPORT TessalyTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessaly COMPONENT Development)
install(EXPORT TessalyTargets NAMESPACE Tessaly:: DESTINATION ${TESSALY_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TessalyConfig.cmake.in
  ${CMAKE_BINARY_DIR}/TessalyConfig.cmake INSTALL_DESTINATION ${TESSALY_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TessalyConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TessalyConfig.cmake ${CMAKE_BINARY_DIR}/TessalyConfigVersion.cmake
  DESTINATION ${TESSALY_CMAKE_DIR} COMPONENT Development)

# pkg-config: the prefix is found from the file's own place, so that `cmake --install --prefix`
# may choose it after configuring; a sanitized engine asks for sanitized hosts here too.
file(RELATIVE_PATH TESSALY_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
set(TESSALY_PC_LINK_OPTIONS "")
if(TESSALY_SANITIZE)
  set(TESSALY_PC_LINK_OPTIONS " -fsanitize=address,undefined")
endif()
foreach(pc tessaly-engine tessaly-engine-ui)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${CMAKE_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
endforeach()

# The engine's layers as build targets: the portable core (no <windows.h>),
# the Windows adapters, and the engine executable.

add_library(vantrell_core STATIC
  components/component_display.cpp
  components/component_statements.cpp
  components/component_table.cpp
  components/feature_selection_file.cpp
  dialogs/dialog_statements.cpp
  engine/caption.cpp
  engine/command_line.cpp
  engine/image_layout.cpp
  engine/startup.cpp
  engine/trace_log.cpp
  lang/engine_texts.cpp
  lang/language_table.cpp
  media/archive_files.cpp
  media/extract_statement.cpp
  msi/install_result.cpp
  msi/installer_messages.cpp
  msi/apply_changes.cpp
  msi/install_statements.cpp
  msi/installer_property_names.cpp
  msi/package_edits.cpp
  msi/property_command_line.cpp
  msi/property_list.cpp
  msi/property_transfer.cpp
  msi/registration.cpp
  msi/setup_sources.cpp
  msi/transform_instance.cpp
  script/background.cpp
  script/bootstrap.cpp
  script/builtin_statements.cpp
  script/compile_check.cpp
  script/engine_cache.cpp
  script/interpreter.cpp
  script/script_reader.cpp
  script/statements.cpp
  system/file_routines.cpp
  system/file_statements.cpp
  system/query_statements.cpp
  system/reboot_statements.cpp
  system/registry_statements.cpp
  system/run_statements.cpp
  system/target_platform.cpp
  vars/comma_text.cpp
  vars/conditions.cpp
  vars/find_files.cpp
  vars/integer_text.cpp
  vars/string_hash_table.cpp
  vars/string_statements.cpp
  vars/text_file_statements.cpp
  vars/text_statements.cpp
  vars/variable_manager.cpp
)
target_include_directories(vantrell_core PUBLIC "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/media/zeb/include")
vantrell_warnings(vantrell_core)

if(WIN32)
  add_library(vantrell_win32 STATIC
    engine/win32/process_env.cpp
    engine/win32/startup_ui_win32.cpp
    media/win32/zeb_library.cpp
    msi/win32/installer_thread.cpp
    msi/win32/msi_library.cpp
    msi/win32/package_editor.cpp
    msi/win32/registration_store_win32.cpp
    script/win32/interpreter_host_win32.cpp
    system/win32/file_statement_platform_win32.cpp
    system/win32/folder_browser.cpp
    system/win32/fs_redirection.cpp
    system/win32/program_runner_win32.cpp
    system/win32/registry_access_win32.cpp
    system/win32/system_queries_win32.cpp
    system/win32/system_facts_win32.cpp
    system/win32/system_restart_win32.cpp
    system/win32/win32_file_system.cpp
    vars/win32/text_system_win32.cpp
  )
  target_link_libraries(vantrell_win32 PUBLIC vantrell_core zeb_import)
  target_link_libraries(vantrell_win32 PUBLIC ole32 oleaut32)
  vantrell_warnings(vantrell_win32)

  add_executable(engine WIN32 engine/main.cpp)
  target_link_libraries(engine PRIVATE vantrell_win32)
  vantrell_warnings(engine)
  set_target_properties(engine PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${VANTRELL_DIST}")
endif()

# The site panel's tests run over a copy of the built station, with a protocol library that records calls.
add_library(qrv_fake_protocol MODULE FakeProtocol.cpp)
target_include_directories(qrv_fake_protocol PRIVATE ${CMAKE_SOURCE_DIR}/Inc)
target_link_libraries(qrv_fake_protocol PRIVATE qrv_port ${CMAKE_DL_LIBS})
set_target_properties(qrv_fake_protocol PROPERTIES OUTPUT_NAME QRV_Protocol.dll PREFIX "" SUFFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fake_protocol)
qrv_version_block(qrv_fake_protocol FileDescription "QTS_Tester" FileVersion "1.0.0.1")

qrv_gtest(qrv_site_panel_test
  SOURCES DynamicDlgTest.cpp MainWindowTest.cpp SitePanelFixture.cpp TestRunFixture.cpp
  LIBS qrv_app qrv_test_qt
  LABELS threads)
if(TARGET qrv_site_panel_test)
  target_compile_definitions(qrv_site_panel_test PRIVATE ${QRV_TEST_PLUGIN_DEFS}
    "FAKE_PROTOCOL=\"$<TARGET_FILE:qrv_fake_protocol>\"")
  add_dependencies(qrv_site_panel_test station qrv_fake_protocol qrv_test_item_a qrv_test_item_b
    qrv_test_item_missing)
endif()

# The main window's view layout and the site views.
qrv_gtest(qrv_main_window_test SOURCES MainWindowLayoutTest.cpp SiteViewTest.cpp LIBS qrv_app qrv_test_qt)

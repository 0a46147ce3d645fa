# The program's sources, listed once for every build (the desktop's in
# CMakeLists.txt, the browser's in web/CMakeLists.txt, Windows' in
# windows/CMakeLists.txt): what every host compiles, and each host's own
# backend files beside it. Paths are relative
# to the source root.

# The show above the platform: the program's spine, the window library, the
# engine and the scenes.
set(PQN_SHOW_SOURCES
  main/demo.cpp main/assets.cpp main/command_line.cpp main/show.cpp
  KestrelWindow/EngineWindow.cpp KestrelWindow/EngineMusic.cpp
  k3d/k3d_init.cpp k3d/k3d_gfx.cpp k3d/k3d_file.cpp k3d/k3d_light.cpp k3d/k3d_textures.cpp k3d/k3d_object.cpp
  scenes/TickTimer.cpp scenes/FrameLoop.cpp scenes/Checkpoints.cpp scenes/Player.cpp scenes/DataWatch.cpp
  scenes/scene1.cpp scenes/scene2.cpp scenes/scene3.cpp scenes/scene4.cpp scenes/scene5.cpp scenes/scene6.cpp
  scenes/scene7.cpp scenes/scene8.cpp scenes/scene9.cpp scenes/CubeGrid.cpp scenes/Fan.cpp scenes/BlueLights.cpp)

# The list of the show's data files (also the data generator's).
set(PQN_ASSET_LIST_SOURCES main/asset_list.cpp)

# The platform on every host, its folders from the ground up.
set(PQN_PLATFORM_SOURCES
  platform/base/options.cpp platform/base/outputs.cpp platform/base/trace.cpp platform/base/clock.cpp
  platform/base/frame_costs.cpp
  platform/system/paths.cpp platform/system/data_file.cpp platform/system/glibc_random.cpp
  platform/system/libc_rand_override.cpp
  platform/formats/trace_file.cpp
  platform/gl/gl_calls.cpp platform/gl/state_log.cpp platform/gl/pixel_counter.cpp platform/gl/coverage.cpp
  platform/host/video.cpp platform/host/devices.cpp
  platform/present/layout.cpp platform/present/context.cpp platform/present/surface.cpp platform/present/readback.cpp
  platform/present/overlay.cpp
  platform/sound/bass_openmpt.cpp platform/sound/channels.cpp platform/sound/module_decoder.cpp
  platform/sound/sdl_output.cpp platform/sound/volume.cpp platform/sound/lockstep.cpp platform/sound/xm_sync.cpp
  platform/capture/bench.cpp platform/capture/flashes.cpp platform/capture/flash_check.cpp
  platform/run/warp.cpp platform/run/frame.cpp platform/run/runtime.cpp platform/run/checkpoint.cpp
  platform/run/player.cpp
  platform/win32/windows.cpp platform/win32/messages.cpp platform/win32/gl_context.cpp platform/win32/gdi_text.cpp)

# The program's own OpenGL ES 3.0 shaders (where the GL library exports
# OpenGL ES 3.0's calls: a desktop's Mesa, a browser's WebGL 2).
set(PQN_PLATFORM_SHADER_SOURCES
  platform/gl/es3/shader_path.cpp platform/gl/es3/es3_calls.cpp platform/gl/es3/draw.cpp platform/gl/es3/quad_trim.cpp platform/gl/es3/matrix.cpp
  platform/gl/es3/programs.cpp)

# Where POSIX signals and descriptors are (a desktop, a browser).
set(PQN_PLATFORM_POSIX_SOURCES platform/base/signals_posix.cpp platform/system/data_file_posix.cpp)

# A desktop's own: the driver's fixed function, the sound server's latency,
# child processes, the crash report, PNG files, and captures (which need a
# file system and ffmpeg).
set(PQN_PLATFORM_DESKTOP_SOURCES ${PQN_PLATFORM_SHADER_SOURCES} ${PQN_PLATFORM_POSIX_SOURCES}
  platform/gl/backend_desktop.cpp platform/gl/fixed_function.cpp
  platform/host/host_linux.cpp
  platform/sound/audio_latency_pulse.cpp
  platform/capture/capture.cpp platform/capture/video_sink.cpp platform/capture/frames_sink.cpp platform/capture/yuv.cpp
  platform/system/process_posix.cpp platform/system/crash_report_posix.cpp
  platform/formats/png_file.cpp)

# A browser's own: the shaders always, the AudioContext's latency, shots handed to
# the page, no child processes, no capture.
set(PQN_PLATFORM_WEB_SOURCES ${PQN_PLATFORM_SHADER_SOURCES} ${PQN_PLATFORM_POSIX_SOURCES}
  platform/gl/backend_web.cpp
  platform/host/host_web.cpp platform/run/player_web.cpp
  platform/sound/audio_latency_web.cpp
  platform/capture/capture_web.cpp
  platform/system/process_none.cpp platform/system/crash_report_web.cpp
  platform/formats/png_file_web.cpp)

# Windows' own (cross-built with mingw-w64): the driver's fixed function,
# the console's Ctrl+C, wide-character file names, the crash report, captures (a video
# through ffmpeg.exe); no sound server to ask. The shaders' calls past
# OpenGL 1.1 are looked up in the driver.
set(PQN_PLATFORM_WINDOWS_SOURCES ${PQN_PLATFORM_SHADER_SOURCES} platform/gl/es3/gl3_calls_windows.cpp
  platform/gl/backend_desktop.cpp platform/gl/fixed_function.cpp
  platform/host/host_windows.cpp platform/base/signals_windows.cpp
  platform/sound/audio_latency_windows.cpp
  platform/capture/capture.cpp platform/capture/video_sink.cpp platform/capture/frames_sink.cpp
  platform/capture/yuv.cpp
  platform/system/process_windows.cpp platform/system/crash_report_windows.cpp platform/system/data_file_windows.cpp
  platform/system/utf8_windows.cpp platform/system/program_folder_windows.cpp
  platform/formats/png_file.cpp)

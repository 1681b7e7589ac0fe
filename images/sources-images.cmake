# Sources of images/: the viewer arithmetic (core), the JPEG decoder, the page view widgets, the viewer,
# marker, capture and file browser members of the main window (window).
list(APPEND VELMORA_CORE_SOURCES
  images/ViewerMath.h images/ViewerMath.cpp)
list(APPEND VELMORA_UI_SOURCES
  images/JpegImage.h images/JpegImage.cpp
  images/PageView.h images/PageView.cpp
  images/FileLists.h images/FileLists.cpp
  images/Viewer.cpp images/Marker.cpp images/FileBrowsers.cpp images/Capture.cpp)

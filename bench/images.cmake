# Page scan decoding against djpeg, and painting the page image at several zooms.
velmora_add_bench(velmora-bench-scan scan_bench.cpp GUI LINKS JPEG::JPEG)

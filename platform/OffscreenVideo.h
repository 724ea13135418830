#pragma once

// Headless runs draw through SDL's offscreen video driver: selects it unless the
// environment already names a video driver. Call before the video subsystem starts.
void preferOffscreenVideo();

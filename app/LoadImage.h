#pragma once

// Sizes the transform, places the frame, reads and checks the image at `path`, and hands its
// grey values to the transform; throws a message text for a file it cannot show.
// Needs a current OpenGL context.
void loadImage(const char* path);

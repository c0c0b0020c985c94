// Stands in for SDL2 in the test of a machine without the audio libraries:
// a library of the right name that has none of their functions.
extern "C" int tessaron_not_sdl()
{
    return 0;
}

// The fly-through field: copies of the picture flying out of the screen centre.
#ifndef VOQ_SCENE_SCENE_H
#define VOQ_SCENE_SCENE_H

#include <stdint.h>

void SeedRandom(uint32_t seed);
int NextRandom(void);  // 0..32767

// Places count objects (at most kMaxObjects) at random with the generator as it
// stands and resets the draw order; SetupScene does this after seeding.
void PlaceObjects(int count);

// Creates the picture surfaces, places the copies, decodes the picture and
// loads its palette; chooses the background index. Always returns 1.
int SetupScene(void);
// Clears, moves, sorts and draws one frame, then presents it.
void DrawFrame(void);

#endif

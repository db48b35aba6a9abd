// The fly-through field: copies of the picture flying out of the screen centre.
#ifndef VOQ_SCENE_SCENE_H
#define VOQ_SCENE_SCENE_H

#include <stdint.h>

// One copy of the picture. The field keeps these as parallel arrays.
struct FlyObject {
  int32_t x;   // offset from the screen centre, -320..319
  int32_t y;   // offset from the screen centre, -240..239
  int32_t z;   // depth 1..100 between frames; smaller is nearer
  int32_t sx;  // projected point of the current frame
  int32_t sy;
};

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

// The field, for tests and the preview: how many objects are in use, their
// state and the current draw order.
int SceneObjectCount(void);
FlyObject SceneObject(int i);
int SceneDrawOrder(int k);

#endif

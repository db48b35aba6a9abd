// The fly-through field's state, read by the tests; the program itself never
// looks at it from outside the scene.
#ifndef VOQ_SCENE_SCENE_INSPECT_H
#define VOQ_SCENE_SCENE_INSPECT_H

#include "scene/scene.h"

// One copy of the picture. The field keeps these as parallel arrays.
struct FlyObject {
  int32_t x;   // offset from the screen centre, -320..319
  int32_t y;   // offset from the screen centre, -240..239
  int32_t z;   // depth 1..100 between frames; smaller is nearer
  int32_t sx;  // projected point of the current frame
  int32_t sy;
};

// How many objects are in use, their state and the current draw order.
int SceneObjectCount(void);
FlyObject SceneObject(int i);
int SceneDrawOrder(int k);

#endif

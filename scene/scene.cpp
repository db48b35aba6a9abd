// STAND-IN until the fly-through field lands.
#include "scene/scene.h"

void SeedRandom(uint32_t) {}
int NextRandom(void) { return 0; }
int SetupScene(void) { return 1; }
void DrawFrame(void) {}
int SceneObjectCount(void) { return 0; }
FlyObject SceneObject(int) { return FlyObject(); }
int SceneDrawOrder(int k) { return k; }

// The two blue-lit white lamps and the shiny blue material that scenes 3
// and 4 light their meshes with.
#pragma once

void SetUpBlueLights();

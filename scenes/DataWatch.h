// --watch: the data set's files looked at twice a second of wall time as the
// show runs; one that changed is loaded again (a picture, a glyph, the
// meshes, the module) and the show goes on from the same moment. A file
// that is now damaged gives its message and the one loaded before stays.
#pragma once

// At the top of the frame loop: true when a changed file was loaded again,
// so that the moment shown is drawn again with it (a seek there). A changed
// module or glyph changes the frames from the start (the music's timing, the
// shapes the cube letters morph through): the checkpoints after the start go.
bool DataSetChanged();

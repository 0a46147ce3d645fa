// The shader path as a backend: its calls, and its state made and let go
// with the context.
#include "gl/backend.h"
#include "gl/es3/es3_calls.h"
#include "gl/es3/programs.h"
#include "gl/es3/state.h"

namespace platform::gl {

namespace {

// A new context starts from GL's defaults, with none of the old one's objects.
void Es3ContextCreated() {
    es3::ResetState();
    es3::ForgetPrograms();
}

void Es3ContextDeleting() {
    es3::ReleaseDrawBuffers();
    es3::ReleasePrograms();
}

}  // namespace

using namespace es3;

const Backend kEs3 = {
    .contextCreated = Es3ContextCreated,
    .contextDeleting = Es3ContextDeleting,
    .begin = calls::Begin,
    .end = calls::End,
    .vertex2i = calls::Vertex2i,
    .vertex3f = calls::Vertex3f,
    .texCoord2i = calls::TexCoord2i,
    .texCoord2f = calls::TexCoord2f,
    .color3f = calls::Color3f,
    .color4f = calls::Color4f,
    .enableClientState = calls::EnableClientState,
    .disableClientState = calls::DisableClientState,
    .vertexPointer = calls::VertexPointer,
    .texCoordPointer = calls::TexCoordPointer,
    .normalPointer = calls::NormalPointer,
    .drawElements = calls::DrawElements,
    .genLists = calls::GenLists,
    .newList = calls::NewList,
    .endList = calls::EndList,
    .callList = calls::CallList,
    .deleteLists = calls::DeleteLists,
    .matrixMode = calls::MatrixMode,
    .loadIdentity = calls::LoadIdentity,
    .translatef = calls::Translatef,
    .rotatef = calls::Rotatef,
    .scalef = calls::Scalef,
    .perspective = calls::Perspective,
    .ortho2D = calls::Ortho2D,
    .lightfv = calls::Lightfv,
    .materialfv = calls::Materialfv,
    .shadeModel = calls::ShadeModel,
    .genTextures = calls::GenTextures,
    .bindTexture = calls::BindTexture,
    .texImage2D = calls::TexImage2D,
    .build2DMipmaps = calls::Build2DMipmaps,
    .texParameteri = calls::TexParameteri,
    .deleteTextures = calls::DeleteTextures,
    .pixelStorei = calls::PixelStorei,
    .enable = calls::Enable,
    .disable = calls::Disable,
    .clear = calls::Clear,
    .clearColor = calls::ClearColor,
    .clearDepth = calls::ClearDepth,
    .depthFunc = calls::DepthFunc,
    .depthMask = calls::DepthMask,
    .blendFunc = calls::BlendFunc,
    .cullFace = calls::CullFace,
};

}  // namespace platform::gl

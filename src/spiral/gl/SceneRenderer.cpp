#include "spiral/gl/SceneRenderer.h"

#include "spiral/TLightSource.h"

#include <QtGui/qopengl.h>

namespace {

void loadMatrix(const Matrix4f& m) { glLoadMatrixf(m.Data()); }

} // namespace

void SceneRenderer::setupState(const TSceneBuffer& buffer, int blueBits) {
    const unsigned options = buffer.ContextOptions();
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, (options & roTwoSideLighting) ? GL_TRUE : GL_FALSE);
    glEnable(GL_NORMALIZE);
    if (buffer.DepthTest()) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    if (buffer.FaceCulling()) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
    } else {
        glDisable(GL_CULL_FACE);
    }
    if (buffer.Lighting())
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    if (blueBits < 8)
        glEnable(GL_DITHER);
    else
        glDisable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glShadeModel(buffer.ShadeModel() == smFlat ? GL_FLAT : GL_SMOOTH);
    const GLboolean colour = (options & roNoColorBuffer) ? GL_FALSE : GL_TRUE;
    glColorMask(colour, colour, colour, colour);
    glDepthMask(GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void SceneRenderer::setupLights(const TSceneBuffer& buffer, const Matrix4f& view) {
    GLint maxLights = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    int index = 0;
    for (TLightSource* light : buffer.Lights()) {
        if (index >= maxLights)
            break;
        const GLenum id = GLenum(GL_LIGHT0 + index++);
        if (!light->Shining()) {
            glDisable(id);
            continue;
        }
        glEnable(id);
        // In world coordinates: the position through the light's parent.
        const Matrix4f parent = light->Parent() ? light->Parent()->WorldMatrix() : Matrix4f();
        loadMatrix(parent * view);
        const Vector3f p = light->Position().AsVector();
        const float pos[4] = {p.x, p.y, p.z, light->LightStyle() == lsParallel ? 0.0f : 1.0f};
        glLightfv(id, GL_POSITION, pos);
        glLightfv(id, GL_AMBIENT, light->Ambient().Data());
        glLightfv(id, GL_DIFFUSE, light->Diffuse().Data());
        glLightfv(id, GL_SPECULAR, light->Specular().Data());
        if (light->LightStyle() == lsSpot) {
            const Vector3f d = light->SpotDirection().AsVector();
            const float dir[3] = {d.x, d.y, d.z};
            glLightfv(id, GL_SPOT_DIRECTION, dir);
            glLightf(id, GL_SPOT_CUTOFF, light->SpotCutOff());
            glLightf(id, GL_SPOT_EXPONENT, light->SpotExponent());
        } else {
            glLightf(id, GL_SPOT_CUTOFF, 180);
        }
        glLightf(id, GL_CONSTANT_ATTENUATION, light->ConstAttenuation());
        glLightf(id, GL_LINEAR_ATTENUATION, light->LinearAttenuation());
        glLightf(id, GL_QUADRATIC_ATTENUATION, light->QuadraticAttenuation());
    }
    for (; index < maxLights; ++index)
        glDisable(GLenum(GL_LIGHT0 + index));
}

void SceneRenderer::applyMaterial(const TSceneBuffer& buffer, TBaseSceneObject* object) {
    auto* shape = dynamic_cast<TCustomSceneObject*>(object);
    if (!shape)
        return;
    const TMaterial& m = shape->Material();
    const TFaceProperties& f = m.FrontProperties();
    if (buffer.Lighting()) {
        glMaterialfv(GL_FRONT, GL_AMBIENT, f.Ambient().Data());
        glMaterialfv(GL_FRONT, GL_DIFFUSE, f.Diffuse().Data());
        glMaterialfv(GL_FRONT, GL_SPECULAR, f.Specular().Data());
        glMaterialfv(GL_FRONT, GL_EMISSION, f.Emission().Data());
        glMateriali(GL_FRONT, GL_SHININESS, f.Shininess());
    } else {
        glColor4fv(f.Diffuse().Data());
    }
    switch (m.BlendingMode()) {
    case bmOpaque:
        glDisable(GL_BLEND);
        break;
    case bmTransparency:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case bmAdditive:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    }
}

void SceneRenderer::drawMesh(TBaseSceneObject* object, const Matrix4f& toClip, const TSceneBuffer& buffer) {
    std::shared_ptr<const TMesh> cached;
    const TMesh* mesh;
    if (object->UncachedGeometry()) {
        m_scratch.Clear();
        object->BuildGeometry(m_scratch);
        mesh = &m_scratch;
    } else {
        cached = object->Mesh();
        mesh = cached.get();
    }
    if (mesh->IsEmpty())
        return;
    SelectVisibleTriangles(*mesh, toClip, m_width, m_height, buffer.FaceCulling(), m_batch, m_sendAll);
    if (m_batch.indices.empty())
        return;
    glVertexPointer(3, GL_FLOAT, 0, m_batch.vertices.data());
    glNormalPointer(GL_FLOAT, 0, m_batch.normals.data());
    glDrawElements(GL_TRIANGLES, GLsizei(m_batch.indices.size()), GL_UNSIGNED_INT, m_batch.indices.data());
}

void SceneRenderer::Render(TSceneBuffer& buffer, int deviceWidth, int deviceHeight, int blueBits) {
    m_width = deviceWidth;
    m_height = deviceHeight;
    setupState(buffer, blueBits);
    const Vector4f bg = buffer.BackgroundColorVector();
    glClearColor(bg.x, bg.y, bg.z, 1);
    GLbitfield clear = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
    if (buffer.ContextOptions() & roStencilBuffer)
        clear |= GL_STENCIL_BUFFER_BIT;
    glClear(clear);
    if (!buffer.Camera())
        return;

    glViewport(0, 0, deviceWidth, deviceHeight);
    glMatrixMode(GL_PROJECTION);
    const Matrix4f projection = buffer.ProjectionMatrix();
    loadMatrix(projection);
    glMatrixMode(GL_MODELVIEW);
    const Matrix4f view = buffer.ViewMatrix();
    setupLights(buffer, view);

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    buffer.CollectDrawList(m_items);
    for (const TDrawItem& item : m_items) {
        const Matrix4f modelView = item.world * view;
        loadMatrix(modelView);
        applyMaterial(buffer, item.object);
        drawMesh(item.object, modelView * projection, buffer);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_BLEND);

}

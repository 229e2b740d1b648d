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

// All strips of the mesh as one strip joined by repeated vertices: the joins
// make only zero-area triangles, and each strip starts at an even position
// so that its triangles keep their orientation.
void SceneRenderer::sendMesh(const TMesh& mesh, std::vector<unsigned>& indices) {
    indices.clear();
    for (const TMeshStrip& s : mesh.Strips()) {
        if (s.count < 3)
            continue;
        if (!indices.empty()) {
            indices.push_back(indices.back());
            if (indices.size() % 2 == 0)
                indices.push_back(unsigned(s.first));
            indices.push_back(unsigned(s.first));
        }
        for (int i = 0; i < s.count; ++i)
            indices.push_back(unsigned(s.first + i));
    }
    if (indices.empty())
        return;
    glVertexPointer(3, GL_FLOAT, 0, mesh.Vertices().data());
    glNormalPointer(GL_FLOAT, 0, mesh.Normals().data());
    glDrawElements(GL_TRIANGLE_STRIP, GLsizei(indices.size()), GL_UNSIGNED_INT, indices.data());
}

void SceneRenderer::drawMesh(TBaseSceneObject* object) {
    const auto mesh = object->Mesh();
    if (mesh->IsEmpty())
        return;
    if (object->UncachedGeometry()) {
        sendMesh(*mesh, m_indices);
        return;
    }
    CachedList& entry = m_lists[mesh->Id()];
    entry.frame = m_frame;
    if (entry.list == 0) {
        entry.list = glGenLists(1);
        if (entry.list == 0) {
            sendMesh(*mesh, m_indices);
            return;
        }
        glNewList(entry.list, GL_COMPILE);
        sendMesh(*mesh, m_indices);
        glEndList();
    }
    glCallList(entry.list);
}

void SceneRenderer::Render(TSceneBuffer& buffer, int deviceWidth, int deviceHeight, int blueBits) {
    ++m_frame;
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
    loadMatrix(buffer.ProjectionMatrix());
    glMatrixMode(GL_MODELVIEW);
    const Matrix4f view = buffer.ViewMatrix();
    setupLights(buffer, view);

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    buffer.CollectDrawList(m_items);
    for (const TDrawItem& item : m_items) {
        loadMatrix(item.world * view);
        applyMaterial(buffer, item.object);
        drawMesh(item.object);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_BLEND);

    // Lists of meshes that were not drawn this frame are gone or replaced.
    for (auto it = m_lists.begin(); it != m_lists.end();) {
        if (it->second.frame != m_frame) {
            glDeleteLists(it->second.list, 1);
            it = m_lists.erase(it);
        } else {
            ++it;
        }
    }
}

void SceneRenderer::ReleaseResources() {
    for (auto& [id, entry] : m_lists)
        if (entry.list)
            glDeleteLists(entry.list, 1);
    m_lists.clear();
}

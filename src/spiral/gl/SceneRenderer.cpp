#include "spiral/gl/SceneRenderer.h"

#include "spiral/TLightSource.h"

#include <QOpenGLFramebufferObject>
#include <QtGui/qopengl.h>

#include <cstring>

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

void SceneRenderer::setupLights(const Matrix4f& view) {
    GLint maxLights = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    int index = 0;
    for (TLightSource* light : m_lights) {
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
    AppliedMaterial& a = m_applied;
    // A value equal to the one set before in this frame is not set again: the
    // state stays the same.
    auto changed = [&a](Vector4f& last, const TSceneColor& c) {
        const Vector4f v = c.AsVector();
        if (a.valid && std::memcmp(&last, &v, sizeof v) == 0)
            return false;
        last = v;
        return true;
    };
    if (buffer.Lighting()) {
        if (changed(a.ambient, f.Ambient()))
            glMaterialfv(GL_FRONT, GL_AMBIENT, f.Ambient().Data());
        if (changed(a.diffuse, f.Diffuse()))
            glMaterialfv(GL_FRONT, GL_DIFFUSE, f.Diffuse().Data());
        if (changed(a.specular, f.Specular()))
            glMaterialfv(GL_FRONT, GL_SPECULAR, f.Specular().Data());
        if (changed(a.emission, f.Emission()))
            glMaterialfv(GL_FRONT, GL_EMISSION, f.Emission().Data());
        if (!a.valid || a.shininess != f.Shininess()) {
            glMateriali(GL_FRONT, GL_SHININESS, f.Shininess());
            a.shininess = f.Shininess();
        }
    } else if (changed(a.colour, f.Diffuse())) {
        glColor4fv(f.Diffuse().Data());
    }
    if (!a.valid || a.blending != m.BlendingMode()) {
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
        a.blending = m.BlendingMode();
    }
    a.valid = true;
}

const TMesh& SceneRenderer::allTriangles(TBaseSceneObject* object) {
    const TMesh* mesh;
    if (object->UncachedGeometry()) {
        m_scratch.Clear();
        m_arraysOf = nullptr; // built anew: its arrays may have moved
        object->BuildGeometry(m_scratch);
        mesh = &m_scratch;
    } else {
        m_allMesh = object->Mesh();
        mesh = m_allMesh.get();
    }
    SelectVisibleTriangles(*mesh, Matrix4f(), m_width, m_height, false, m_batch, true);
    return *mesh;
}

namespace {

// The vertices of the triangles, three a triangle, into `out` (reused from
// batch to batch).
template <class Index>
const Index* cornersOf(const std::vector<int>& corners, const TIndexList& triangles, std::vector<Index>& out) {
    out.resize(3 * triangles.size());
    for (std::size_t j = 0; j < triangles.size(); ++j) {
        const int* c = corners.data() + 3 * std::size_t(triangles[j]);
        out[3 * j] = Index(c[0]);
        out[3 * j + 1] = Index(c[1]);
        out[3 * j + 2] = Index(c[2]);
    }
    return out.data();
}

} // namespace

void SceneRenderer::drawBatch(const TMesh& mesh, const TTriangleBatch& batch) {
    // The mesh's own arrays (markers of one size share a mesh: the arrays are
    // set again only for another one), with the vertices of the batch's triangles.
    if (&mesh != m_arraysOf) {
        glVertexPointer(3, GL_FLOAT, 0, mesh.Vertices().data());
        glNormalPointer(GL_FLOAT, 0, mesh.Normals().data());
        m_arraysOf = &mesh;
    }
    const GLsizei count = GLsizei(3 * batch.triangles.size());
    if (mesh.Vertices().size() <= 65536)
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, cornersOf(mesh.Corners(), batch.triangles, m_short));
    else
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, cornersOf(mesh.Corners(), batch.triangles, m_int));
}

SceneRenderer::SceneRenderer() = default;
SceneRenderer::~SceneRenderer() = default;

void SceneRenderer::SetKeepPicture(bool on) {
    m_keep = on;
    m_keptStamp.Clear();
}

void SceneRenderer::ReleaseKeptPicture() {
    m_kept.reset();
    m_keptStamp.Clear();
}

bool SceneRenderer::KeptPictureHolds(const TSceneBuffer& buffer) const {
    std::vector<TDrawItem> tail;
    return m_keep && !m_sendAll && m_keptStamp.Holds(buffer, {m_width, m_height, m_blueBits}, tail);
}

bool SceneRenderer::bindKeptPicture() {
    const QSize size(m_width, m_height);
    if (!m_kept || m_kept->size() != size) {
        m_kept.reset();
        if (QOpenGLFramebufferObject::hasOpenGLFramebufferObjects() &&
            QOpenGLFramebufferObject::hasOpenGLFramebufferBlit()) {
            QOpenGLFramebufferObjectFormat format;
            format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
            format.setInternalTextureFormat(GL_RGBA8);
            m_kept = std::make_unique<QOpenGLFramebufferObject>(size, format);
        }
    }
    if (m_kept && m_kept->isValid() && m_kept->bind())
        return true;
    m_kept.reset();
    m_keptStamp.Clear();
    m_keep = false;
    return false;
}

bool SceneRenderer::copyKeptPicture() {
    while (glGetError() != GL_NO_ERROR) {
    }
    glDisable(GL_SCISSOR_TEST);
    const QRect all(0, 0, m_width, m_height);
    // Target none: the context's default frame buffer (a widget's own).
    QOpenGLFramebufferObject::blitFramebuffer(nullptr, all, m_kept.get(), all,
                                              GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                                              GL_NEAREST, 0, 0, QOpenGLFramebufferObject::DontRestoreFramebufferBinding);
    QOpenGLFramebufferObject::bindDefault();
    if (glGetError() == GL_NO_ERROR)
        return true;
    // Depth and stencil formats that differ from the default frame buffer's:
    // frames are drawn whole from now on.
    m_kept.reset();
    m_keptStamp.Clear();
    m_keep = false;
    return false;
}

bool SceneRenderer::begin(TSceneBuffer& buffer, int blueBits, bool clear, Matrix4f& view) {
    setupState(buffer, blueBits);
    if (clear) {
        const Vector4f bg = buffer.BackgroundColorVector();
        glClearColor(bg.x, bg.y, bg.z, 1);
        GLbitfield bits = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
        if (buffer.ContextOptions() & roStencilBuffer)
            bits |= GL_STENCIL_BUFFER_BIT;
        glClear(bits);
    }
    if (!buffer.Camera())
        return false;
    glViewport(0, 0, m_width, m_height);
    glMatrixMode(GL_PROJECTION);
    loadMatrix(buffer.ProjectionMatrix());
    glMatrixMode(GL_MODELVIEW);
    view = buffer.ViewMatrix();
    // The scene is searched for its lights again only when its tree changed
    // (or over the kept picture, never: nothing but the tail changed).
    const std::uint64_t tree = TBaseSceneObject::TreeChanges(), frees = TBaseSceneObject::Frees();
    if (clear && (tree != m_lightsTree || frees != m_lightsFrees || buffer.Scene() != m_lightsScene)) {
        m_lights = buffer.Lights();
        m_lightsTree = tree;
        m_lightsFrees = frees;
        m_lightsScene = buffer.Scene();
    }
    setupLights(view);
    m_applied.valid = false;
    m_arraysOf = nullptr;
    return true;
}

void SceneRenderer::drawItems(const TSceneBuffer& buffer, const std::vector<TDrawItem>& items, const Matrix4f& view,
                              std::size_t first, std::size_t end, bool everyTriangle) {
    // A software rasteriser starts on what it was handed at a flush, on its
    // own threads, while the next triangles are set up here: a flush every
    // few thousand triangles shares a frame of many small objects out.
    constexpr std::size_t kFlushTriangles = 8192;
    std::size_t sent = 0;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (std::size_t k = first; k < end; ++k) {
        const TDrawItem& item = items[k];
        const TMesh& mesh = everyTriangle ? allTriangles(item.object) : m_geometry.Mesh(k);
        const TTriangleBatch& batch = everyTriangle ? m_batch : m_geometry.Batch(k);
        // Nothing to draw: its matrix and material would change nothing,
        // since every drawn object sets its own.
        if (batch.Empty())
            continue;
        loadMatrix(item.world * view);
        applyMaterial(buffer, item.object);
        drawBatch(mesh, batch);
        sent += batch.triangles.size();
        if (sent >= kFlushTriangles && k + 1 < end) {
            glFlush();
            sent = 0;
        }
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void SceneRenderer::drawStandIns(const TSceneBuffer& buffer) {
    if (m_standIns.Groups().empty())
        return;
    // Their vertices are in eye coordinates.
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (const TStandIns::Group& g : m_standIns.Groups()) {
        applyMaterial(buffer, g.object);
        glVertexPointer(3, GL_FLOAT, sizeof(TStandInVertex), &g.vertices[0].position);
        glNormalPointer(GL_FLOAT, sizeof(TStandInVertex), &g.vertices[0].normal);
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(g.vertices.size()));
    }
    m_arraysOf = nullptr;
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void SceneRenderer::Render(TSceneBuffer& buffer, int deviceWidth, int deviceHeight, int blueBits) {
    m_width = deviceWidth;
    m_height = deviceHeight;
    m_blueBits = blueBits;
    Matrix4f view;
    const bool keep = m_keep && !m_sendAll && buffer.Camera() && !(buffer.ContextOptions() & roNoColorBuffer);
    if (keep && m_keptStamp.Holds(buffer, {m_width, m_height, m_blueBits}, m_tail) && copyKeptPicture()) {
        // Only the tail changed: the kept picture, and the tail over it.
        begin(buffer, blueBits, false, view);
        drawItems(buffer, m_tail, view, 0, m_tail.size(), true);
        glDisable(GL_BLEND);
        ++m_framesOverKept;
        return;
    }
    // A frame drawn whole leaves the kept picture as it was, unless it draws
    // into it.
    const bool intoKept = keep && m_keep && bindKeptPicture();
    if (intoKept)
        m_keptStamp.Clear();
    if (!begin(buffer, blueBits, true, view))
        return;

    if (m_sendAll) {
        buffer.CollectDrawList(m_items);
    } else {
        // The small spheres of a large scene go to the stand-ins, not to the list.
        m_standIns.Begin(view, buffer.ProjectionMatrix(), m_width, m_height);
        buffer.CollectDrawList(m_items, [this](TBaseSceneObject* o, const Matrix4f& world) {
            return m_standIns.Take(o, world);
        });
        if (!m_standIns.Finish(m_standInThreshold))
            buffer.CollectDrawList(m_items); // too few spheres: every object as it is
        TFrameOptions options;
        options.width = deviceWidth;
        options.height = deviceHeight;
        options.cullBackFaces = buffer.FaceCulling();
        options.depthTest = buffer.DepthTest();
        // How finely this rasteriser places vertices: the margins of the selection.
        GLint subpixelBits = 4;
        glGetIntegerv(GL_SUBPIXEL_BITS, &subpixelBits);
        options.pixelMargin = PixelMargin(subpixelBits);
        m_geometry.Prepare(m_items, view, buffer.ProjectionMatrix(), options);
    }
    // The opaque part (the stand-ins are part of it), then the blended objects.
    std::size_t opaque = 0;
    while (opaque < m_items.size() && !m_items[opaque].object->IsBlended())
        ++opaque;
    drawItems(buffer, m_items, view, 0, opaque, m_sendAll);
    if (!m_sendAll)
        drawStandIns(buffer);
    if (intoKept) {
        // The opaque part went into the kept picture, which the frame copies.
        if (copyKeptPicture()) {
            m_keptStamp.Record(buffer, {m_width, m_height, m_blueBits}, m_items, opaque);
        } else {
            begin(buffer, blueBits, true, view);
            drawItems(buffer, m_items, view, 0, opaque, false);
            drawStandIns(buffer);
        }
    }
    drawItems(buffer, m_items, view, opaque, m_items.size(), m_sendAll);
    glDisable(GL_BLEND);
    if (!m_sendAll)
        m_geometry.Finish();
}

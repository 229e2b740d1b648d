#include "spiral/VisibleTriangles.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Window coordinates of the vertices handled here stay within [-8192, 8192)
// (see `safe` below): shifted by 8192 they are positive and truncate like
// floor. The sum may round up to the next integer, which only widens a range.
constexpr float kShift = 8192;
inline int floorToInt(float v) { return int(v + kShift) - int(kShift); }

// On x86-64 with GCC, the loops written for vector code are also compiled
// for AVX2 (eight lanes, integer min and max in one instruction), chosen at
// load time when the processor has it. Same operations, same results.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define AEV_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define AEV_VECTOR_CLONES
#endif

// The vertices of a strip in window coordinates, in strip order, with the
// range of pixel centres i + 0.5 each may reach: a triangle holds a pixel
// centre in its bounding box only when max(hi) >= min(lo) on both axes. Kept
// as arrays of each value so that the loops over them run as vector code;
// `safe` as in TWindowVertex (1 or 0), the other values are 0 for a vertex
// that is not.
struct WindowArrays {
    std::vector<float> x, y, z;
    std::vector<int> loX, hiX, loY, hiY, safe;
    void resize(std::size_t n) {
        for (auto* v : {&x, &y, &z})
            v->resize(n);
        for (auto* v : {&loX, &hiX, &loY, &hiY, &safe})
            v->resize(n);
    }
};

// Window position, pixel ranges and safety of `count` vertices given as
// arrays of x, y and z (toClip's elements in `mat`): ToWindow's operations and then the ranges, computed
// on every vertex without branches (the unsafe ones then set to 0) so that
// the compiler turns the loop into vector code.
AEV_VECTOR_CLONES
void windowBlock(const float* __restrict vxs, const float* __restrict vys, const float* __restrict vzs,
                 std::size_t count, const float* __restrict mat, float hw, float hh, float margin,
                 float* __restrict ox, float* __restrict oy, float* __restrict oz, int* __restrict loX, int* __restrict hiX,
                 int* __restrict loY, int* __restrict hiY, int* __restrict safe) {
    const float m00 = mat[0], m01 = mat[1], m02 = mat[2], m03 = mat[3];
    const float m10 = mat[4], m11 = mat[5], m12 = mat[6], m13 = mat[7];
    const float m20 = mat[8], m21 = mat[9], m22 = mat[10], m23 = mat[11];
    const float m30 = mat[12], m31 = mat[13], m32 = mat[14], m33 = mat[15];
    for (std::size_t k = 0; k < count; ++k) {
        const float vx = vxs[k], vy = vys[k], vz = vzs[k];
        const float x = vx * m00 + vy * m10 + vz * m20 + m30;
        const float y = vx * m01 + vy * m11 + vz * m21 + m31;
        const float z = vx * m02 + vy * m12 + vz * m22 + m32;
        const float w = vx * m03 + vy * m13 + vz * m23 + m33;
        const float fw = 4 * w;
        const int ok = (w > 1e-6f) & (z >= -w) & (z <= w) & (std::fabs(x) <= fw) & (std::fabs(y) <= fw);
        const float inv = 1.0f / (ok ? w : 1.0f);
        const float px = (x * inv + 1) * hw, py = (y * inv + 1) * hh, pz = (z * inv + 1) * 0.5f;
        const float wx = ok ? px : 0.0f, wy = ok ? py : 0.0f;
        ox[k] = wx;
        oy[k] = wy;
        oz[k] = ok ? pz : 0.0f;
        loX[k] = -floorToInt(-(wx - margin - 0.5f));
        hiX[k] = floorToInt(wx + margin - 0.5f);
        loY[k] = -floorToInt(-(wy - margin - 0.5f));
        hiY[k] = floorToInt(wy + margin - 0.5f);
        safe[k] = ok;
    }
}

// The tests of the triangles of one strip, given the strip's vertices in
// strip order (x, y, pixel ranges, safety): code[i] is 0 when triangle i
// certainly reaches no pixel centre (or is a back face, when culled), 1 when
// it is kept, 2 when its box holds two to four pixel centres, to be looked
// at one by one; areas[i] is its signed area. Triangle i runs (i, i + 1,
// i + 2) for even i and (i + 1, i, i + 2) for odd i (odd[i] says which).
// Written without branches so that the loop becomes vector code; each value
// is computed with the same operations as for the triangle alone (the box
// of a single pixel centre is looked at here, as holdsPoint does).
AEV_VECTOR_CLONES
void stripTests(const float* __restrict x, const float* __restrict y, const int* __restrict loXs,
                const int* __restrict hiXs, const int* __restrict loYs, const int* __restrict hiYs,
                const int* __restrict safe, const int* __restrict odd, int triangles, int lastX, int lastY, int cull,
                float margin, int* __restrict code, float* __restrict areas) {
    for (int i = 0; i < triangles; ++i) {
        const int swap = odd[i];
        const float ax = swap ? x[i + 1] : x[i], ay = swap ? y[i + 1] : y[i];
        const float bx = swap ? x[i] : x[i + 1], by = swap ? y[i] : y[i + 1];
        const float cx = x[i + 2], cy = y[i + 2];
        const float area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
        const int allSafe = safe[i] & safe[i + 1] & safe[i + 2];
        const int loX = std::max(std::min(std::min(loXs[i], loXs[i + 1]), loXs[i + 2]), 0);
        const int hiX = std::min(std::max(std::max(hiXs[i], hiXs[i + 1]), hiXs[i + 2]), lastX);
        const int loY = std::max(std::min(std::min(loYs[i], loYs[i + 1]), loYs[i + 2]), 0);
        const int hiY = std::min(std::max(std::max(hiYs[i], hiYs[i + 1]), hiYs[i + 2]), lastY);
        const int backFace = cull & (area < -1e-3f);
        const int inBox = (hiX >= loX) & (hiY >= loY);
        const int pass = (1 - allSafe) | ((1 - backFace) & inBox);
        // At most four pixel centres in the box (w * h <= 4 for w, h >= 1,
        // which holds wherever it counts: a safe triangle that passes).
        const int w = hiX - loX + 1, h = hiY - loY + 1;
        const int fewCentres = (w <= 4) & (h <= 4) & ((w <= 1) | (h <= 1) | ((w <= 2) & (h <= 2)));
        const int small = allSafe & (std::fabs(area) > 1e-3f) & fewCentres;
        const int single = (w == 1) & (h == 1);
        // The one pixel centre: inside the triangle grown by the margin?
        const float sign = area > 0 ? 1.0f : -1.0f;
        const float px = float(loX) + 0.5f, py = float(loY) + 0.5f;
        const float abx = bx - ax, aby = by - ay, bcx = cx - bx, bcy = cy - by, cax = ax - cx, cay = ay - cy;
        const int inAB = sign * (abx * (py - ay) - aby * (px - ax)) >= -margin * (std::fabs(abx) + std::fabs(aby));
        const int inBC = sign * (bcx * (py - by) - bcy * (px - bx)) >= -margin * (std::fabs(bcx) + std::fabs(bcy));
        const int inCA = sign * (cax * (py - cy) - cay * (px - cx)) >= -margin * (std::fabs(cax) + std::fabs(cay));
        const int hit = inAB & inBC & inCA;
        // Kept (1) unless small; small with one centre: whether it holds it; with more: 2.
        const int smallCode = single ? hit : 2;
        const int kept = small ? smallCode : 1;
        code[i] = pass ? kept : 0;
        areas[i] = area;
    }
}

// Whether the triangle a, b, c (positions in x and y; counter-clockwise
// when sign is 1, clockwise when -1), grown by the margin (pixels), holds
// the pixel centre (px, py).
inline bool holdsPoint(const float* x, const float* y, std::size_t a, std::size_t b, std::size_t c, float sign,
                       float px, float py, float margin) {
    auto edge = [&](std::size_t p, std::size_t q) {
        const float ex = x[q] - x[p], ey = y[q] - y[p];
        const float e = sign * (ex * (py - y[p]) - ey * (px - x[p]));
        return e >= -margin * (std::fabs(ex) + std::fabs(ey));
    };
    return edge(a, b) && edge(b, c) && edge(c, a);
}

} // namespace

void SelectVisibleTriangles(const TMesh& mesh, const Matrix4f& toClip, int width, int height, bool cullBackFaces,
                            TTriangleBatch& batch, bool keepAll, float margin,
                            std::vector<TWindowVertex>* cornerWindows) {
    if (cornerWindows)
        cornerWindows->clear();
    const auto& verts = mesh.Vertices();
    const std::size_t triangles = mesh.Corners().size() / 3;
    if (width > kMaxCulledViewport || height > kMaxCulledViewport)
        keepAll = true;
    // The kept triangles, in a scratch array large enough for all (and one
    // more: the gathering below writes one place ahead).
    static thread_local std::vector<unsigned> kept;
    kept.resize(triangles + 1);
    std::size_t count = 0;
    if (keepAll) {
        for (std::size_t t = 0; t < triangles; ++t)
            kept[count++] = unsigned(t);
        batch.triangles.Assign(kept.data(), count, triangles);
        return;
    }
    // A strip at a time: its vertices in strip order, in window coordinates,
    // then its triangles' codes and areas.
    static thread_local WindowArrays win;
    static thread_local std::vector<float> vx, vy, vz, areas;
    static thread_local std::vector<int> code, odd;
    const int lastX = width - 1, lastY = height - 1;
    const float hw = width * 0.5f, hh = height * 0.5f;
    const std::vector<int>& indices = mesh.Indices();
    std::size_t t0 = 0; // number of the strip's first triangle
    for (const TMeshStrip& st : mesh.Strips()) {
        if (st.count < 3)
            continue;
        const std::size_t positions = std::size_t(st.count), nT = positions - 2;
        if (win.x.size() < positions) {
            win.resize(positions);
            for (auto* v : {&vx, &vy, &vz, &areas})
                v->resize(positions);
            code.resize(positions);
            odd.resize(positions);
            for (std::size_t i = 0; i < positions; ++i)
                odd[i] = int(i & 1);
        }
        const int* p = indices.data() + st.first;
        for (std::size_t k = 0; k < positions; ++k) {
            const Vector3f& v = verts[std::size_t(p[k])];
            vx[k] = v.x;
            vy[k] = v.y;
            vz[k] = v.z;
        }
        windowBlock(vx.data(), vy.data(), vz.data(), positions, toClip.Data(), hw, hh, margin, win.x.data(),
                    win.y.data(), win.z.data(), win.loX.data(), win.hiX.data(), win.loY.data(), win.hiY.data(),
                    win.safe.data());
        stripTests(win.x.data(), win.y.data(), win.loX.data(), win.hiX.data(), win.loY.data(), win.hiY.data(),
                   win.safe.data(), odd.data(), int(nT), lastX, lastY, cullBackFaces ? 1 : 0, margin, code.data(),
                   areas.data());
        // The small triangles first: each becomes kept (1) or not (0) ...
        for (std::size_t i = 0; i < nT; ++i) {
            if (code[i] != 2)
                continue;
            // A small triangle: look at each pixel centre of its box.
            // (Strip order: odd triangles swap their first two vertices.)
            const std::size_t a = i + (i & 1), b = i + 1 - (i & 1), c = i + 2;
            const int loX = std::max(std::min({win.loX[a], win.loX[b], win.loX[c]}), 0);
            const int hiX = std::min(std::max({win.hiX[a], win.hiX[b], win.hiX[c]}), lastX);
            const int loY = std::max(std::min({win.loY[a], win.loY[b], win.loY[c]}), 0);
            const int hiY = std::min(std::max({win.hiY[a], win.hiY[b], win.hiY[c]}), lastY);
            const float sign = areas[i] > 0 ? 1.0f : -1.0f;
            bool hit = false;
            for (int py = loY; py <= hiY && !hit; ++py)
                for (int px = loX; px <= hiX && !hit; ++px)
                    hit = holdsPoint(win.x.data(), win.y.data(), a, b, c, sign, px + 0.5f, py + 0.5f, margin);
            code[i] = hit ? 1 : 0;
        }
        // ... then the kept ones are gathered in order, without branches.
        const std::size_t kept0 = count;
        for (std::size_t i = 0; i < nT; ++i) {
            kept[count] = unsigned(t0 + i);
            count += std::size_t(code[i]);
        }
        if (cornerWindows) {
            // The corners of the strip's kept triangles, written in place.
            const std::size_t first = cornerWindows->size();
            cornerWindows->resize(first + 3 * (count - kept0));
            TWindowVertex* out = cornerWindows->data() + first;
            for (std::size_t j = kept0; j < count; ++j) {
                const std::size_t i = kept[j] - t0;
                const std::size_t a = i + (i & 1), b = i + 1 - (i & 1), c = i + 2;
                for (const std::size_t k : {a, b, c}) {
                    out->x = win.x[k];
                    out->y = win.y[k];
                    out->z = win.z[k];
                    out->safe = win.safe[k];
                    ++out;
                }
            }
        }
        t0 += nT;
    }
    batch.triangles.Assign(kept.data(), count, triangles);
}

namespace {

// A second thread kept for the whole run, so that a frame's four shared
// steps do not each start one. It takes part in one RunInParallel at a time.
class Helper {
public:
    static Helper& Instance() {
        static Helper helper;
        return helper;
    }
    // Runs the job on both threads; false (nothing run) when the helper is
    // busy with another caller's job or has no thread.
    bool Run(const std::function<void()>& job) {
        std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
        if (!lock.owns_lock() || m_busy || m_started || !m_thread.joinable())
            return false;
        m_busy = true;
        m_job = &job;
        m_error = nullptr;
        ++m_generation;
        lock.unlock();
        m_wake.notify_one();
        std::exception_ptr mine;
        try {
            job();
        } catch (...) {
            mine = std::current_exception();
        }
        lock.lock();
        m_done.wait(lock, [this] { return !m_busy; });
        const std::exception_ptr theirs = m_error;
        lock.unlock();
        if (mine)
            std::rethrow_exception(mine);
        if (theirs)
            std::rethrow_exception(theirs);
        return true;
    }

    // Starts the job on the helper thread alone and returns; false when the
    // helper is busy or has no thread.
    bool Start(std::function<void()> job) {
        std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
        if (!lock.owns_lock() || m_busy || m_started || !m_thread.joinable())
            return false;
        m_busy = true;
        m_owned = std::move(job);
        m_job = &m_owned;
        m_error = nullptr;
        m_started = true;
        ++m_generation;
        lock.unlock();
        m_wake.notify_one();
        return true;
    }
    // Waits for the job Start began, if any; rethrows its exception.
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_started)
            return;
        m_done.wait(lock, [this] { return !m_busy; });
        m_started = false;
        m_owned = nullptr;
        const std::exception_ptr error = m_error;
        m_error = nullptr;
        lock.unlock();
        if (error)
            std::rethrow_exception(error);
    }

private:
    Helper() {
        try {
            m_thread = std::thread([this] { loop(); });
        } catch (const std::system_error&) {
            // No thread to be had: every job runs on its caller alone.
        }
    }
    ~Helper() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }
    void loop() {
        std::uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_quit || m_generation != seen; });
            if (m_quit)
                return;
            seen = m_generation;
            const std::function<void()>* job = m_job;
            lock.unlock();
            std::exception_ptr error;
            try {
                (*job)();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            m_error = error;
            m_busy = false;
            m_done.notify_one();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    const std::function<void()>* m_job = nullptr;
    std::function<void()> m_owned; // the job Start began
    bool m_started = false;
    std::exception_ptr m_error;
    std::uint64_t m_generation = 0;
    bool m_busy = false, m_quit = false;
    std::thread m_thread;
};

} // namespace

bool StartInBackground(std::function<void()> job) { return Helper::Instance().Start(std::move(job)); }

void WaitForBackground() { Helper::Instance().Wait(); }

void RunInParallel(std::size_t count, const std::function<void(std::size_t, std::size_t)>& work, std::size_t parts) {
    // Below this many items a second thread costs more than it saves.
    constexpr std::size_t kMinParallel = 64;
    static const unsigned cores = std::thread::hardware_concurrency();
    if (count < kMinParallel || cores < 2) {
        work(0, count);
        return;
    }
    // Both threads take the next chunk of items until none is left, so that
    // neither waits long for the other whatever the items cost.
    parts = std::max<std::size_t>(parts, 1);
    const std::size_t chunk = (count + parts - 1) / parts;
    std::atomic<std::size_t> next{0};
    const std::function<void()> share = [&] {
        for (;;) {
            const std::size_t begin = next.fetch_add(chunk);
            if (begin >= count)
                return;
            work(begin, std::min(begin + chunk, count));
        }
    };
    if (!Helper::Instance().Run(share))
        share(); // the helper is busy elsewhere: all here
}

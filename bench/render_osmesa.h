// The sphere scenes through OSMesa, for bench_render: the same indexed mesh
// drawn with glDrawElements under the same frustum, light and clears.
//
// Mesa picks its driver and llvmpipe its thread count when the library
// first builds its screen, so each configuration runs in a child process of
// its own with the environment set before the first context.
#pragma once

#include <GL/gl.h>
#include <GL/osmesa.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace osmesa_bench {

struct Configuration {
    const char* gallium_driver; // "llvmpipe" or "softpipe"
    const char* threads;        // LP_NUM_THREADS, or null for the default (every core)
};

struct Measurement {
    double ms = -1.0; // per frame; negative when the run failed
    double covered = 0.0;
};

// Draws frames of the mesh at size x size in this process.
inline Measurement draw_frames(const std::vector<float>& points, const std::vector<float>& normals,
                               const std::vector<unsigned>& indices, int size, int frames) {
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (!context) return {};
    std::vector<unsigned char> buffer(std::size_t(size) * size * 4);
    if (!OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, size, size)) return {};
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.2, 0.2, -0.2, 0.2, 0.5, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat towards_light[4] = {0.3f, 0.5f, 1.0f, 0.0f};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, towards_light);
    glTranslatef(0.0f, 0.0f, -2.6f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, points.data());
    glNormalPointer(GL_FLOAT, 0, normals.data());
    auto frame = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_INT, indices.data());
        glFinish();
    };
    frame(); // the first frame compiles shaders
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        frame();
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    std::vector<float> depth(std::size_t(size) * size);
    glReadPixels(0, 0, size, size, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    double covered = 0;
    for (float d : depth)
        covered += d < 1.0f;
    OSMesaDestroyContext(context);
    return {spent.count() / frames, covered};
}

// The same in a child process under configuration c.
inline Measurement measure(const Configuration& c, const std::vector<float>& points,
                           const std::vector<float>& normals, const std::vector<unsigned>& indices,
                           int size, int frames) {
    int channel[2];
    if (pipe(channel) != 0) return {};
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        close(channel[0]);
        setenv("GALLIUM_DRIVER", c.gallium_driver, 1);
        if (c.threads)
            setenv("LP_NUM_THREADS", c.threads, 1);
        else
            unsetenv("LP_NUM_THREADS");
        const Measurement m = draw_frames(points, normals, indices, size, frames);
        const ssize_t written = write(channel[1], &m, sizeof m);
        _exit(written == ssize_t(sizeof m) ? 0 : 1);
    }
    close(channel[1]);
    Measurement m;
    if (read(channel[0], &m, sizeof m) != ssize_t(sizeof m)) m = {};
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return m;
}

} // namespace osmesa_bench

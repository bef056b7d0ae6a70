#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/Settings.h"

namespace {

// A settings file in the temporary folder, removed again when the test ends.
class SettingsFile {
public:
    explicit SettingsFile(const std::string& text)
        : path(testing::TempDir() + "tessel_settings_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini") {
        std::ofstream(path) << text;
    }
    ~SettingsFile() { std::remove(path.c_str()); }
    const std::string path;
};

void expectDefaults(const Settings& s) {
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.refreshRate, 60);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.title, "Tessel 2020");
    EXPECT_EQ(s.brightness, 1.0);
    EXPECT_EQ(s.fov, 60.0);
    EXPECT_EQ(s.nearPlane, static_cast<double>(0.1f));
    EXPECT_EQ(s.farPlane, 100.0);
    EXPECT_EQ(s.vsync, std::nullopt);
    EXPECT_EQ(s.maxFps, 0);
    EXPECT_EQ(s.volume, 1.0);
}

std::string loadQuietly(const std::string& path, Settings& out) {
    testing::internal::CaptureStdout();
    out = loadSettings(path);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Settings, MissingFilePrintsOneErrorLineAndKeepsDefaults) {
    const std::string path = testing::TempDir() + "no_such_dir/settings.ini";
    Settings settings;
    const std::string output = loadQuietly(path, settings);
    EXPECT_EQ(output, "ERROR: Failed to load '" + path + "'. Using default values instead.\n");
    expectDefaults(settings);
}

TEST(Settings, ShippedFileHoldsTheDefaultsButVsyncAndTheFarDistance) {
    Settings settings;
    EXPECT_EQ(loadQuietly(settingsPath, settings), "");
    EXPECT_EQ(settings.width, 800);
    EXPECT_EQ(settings.height, 600);
    EXPECT_EQ(settings.title, "Tessel 2020");
    EXPECT_FLOAT_EQ(static_cast<float>(settings.nearPlane), 0.1f);
    EXPECT_EQ(settings.fov, 60.0);
    EXPECT_EQ(settings.brightness, 1.0);
    EXPECT_EQ(settings.maxFps, 0);
    // The game as shipped waits for the display, and sees the whole arena from the end view
    // 120 above the floor and from any corner.
    EXPECT_EQ(settings.vsync, true);
    EXPECT_EQ(settings.farPlane, 200.0);
}

TEST(Settings, FramePacingKeys) {
    {
        SettingsFile file("[window]\nvsync=true\nmax_fps=144\n");
        Settings s;
        EXPECT_EQ(loadQuietly(file.path, s), "");
        EXPECT_EQ(s.vsync, true);
        EXPECT_EQ(s.maxFps, 144);
        SettingsFile off("[window]\nvsync=false\n");
        EXPECT_EQ(loadQuietly(off.path, s), "");
        EXPECT_EQ(s.vsync, false);
    }
    {
        SettingsFile file("[window]\nvsync=maybe\nmax_fps=-5\n");
        Settings s;
        EXPECT_EQ(loadQuietly(file.path, s),
                  "ERROR: Setting 'vsync' in [window] cannot be used: 'maybe'. Using the driver's "
                  "own choice instead.\n"
                  "ERROR: Setting 'max_fps' in [window] cannot be used: '-5'. Using the default 0 "
                  "instead.\n");
        expectDefaults(s);
    }
    {
        // Too large for an int, and not a number at all.
        SettingsFile file("[window]\nmax_fps=4294967296\n");
        Settings s;
        EXPECT_NE(loadQuietly(file.path, s), "");
        EXPECT_EQ(s.maxFps, 0);
        SettingsFile words("[window]\nmax_fps=fast\n");
        EXPECT_EQ(loadQuietly(words.path, s), "");
        EXPECT_EQ(s.maxFps, 0);
    }
}

TEST(Settings, ReadsAllNineKeys) {
    SettingsFile file(
        "[window]\nwidth=1024\nheight=768\nrefresh_rate=144\nfullscreen=true\n"
        "title=My Arena\nbrightness=2.5\n[camera]\nfov=75\nnear=0.5\nfar=250\n");
    Settings s;
    EXPECT_EQ(loadQuietly(file.path, s), "");
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    EXPECT_EQ(s.refreshRate, 144);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(s.title, "My Arena");
    EXPECT_EQ(s.brightness, 2.5);
    EXPECT_EQ(s.fov, 75.0);
    EXPECT_EQ(s.nearPlane, 0.5);
    EXPECT_EQ(s.farPlane, 250.0);
}

TEST(Settings, MalformedLineKeepsWellFormedValuesSilently) {
    SettingsFile file("[window]\nwidth=1024\nthis line is not a setting\nheight=700\n");
    Settings s;
    EXPECT_EQ(loadQuietly(file.path, s), "");
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 700);
    EXPECT_EQ(s.title, "Tessel 2020");
}

TEST(Settings, UnconvertibleValuesAndOtherSectionsKeepDefaults) {
    SettingsFile file(
        "[window]\nwidth=wide\nbrightness=very\n[camera]\nfov=\n[other]\nheight=10\n");
    Settings s;
    loadQuietly(file.path, s);
    expectDefaults(s);
}

TEST(Settings, FullscreenAcceptsWhatTheIniReaderAccepts) {
    for (const char* yes : {"true", "TRUE", "yes", "on", "1"}) {
        SettingsFile file(std::string("[window]\nfullscreen=") + yes + "\n");
        Settings s;
        loadQuietly(file.path, s);
        EXPECT_TRUE(s.fullscreen) << yes;
    }
    for (const char* no : {"false", "no", "off", "0"}) {
        SettingsFile file(std::string("[window]\nfullscreen=") + no + "\n");
        Settings s;
        s.fullscreen = true;
        loadQuietly(file.path, s);
        EXPECT_FALSE(s.fullscreen) << no;
    }
    SettingsFile file("[window]\nfullscreen=maybe\n");
    Settings s;
    loadQuietly(file.path, s);
    EXPECT_FALSE(s.fullscreen);
}

TEST(Projection, DefaultsElementByElement) {
    const glm::mat4 p = buildProjection(Settings{});
    const float t = static_cast<float>(std::tan(static_cast<double>(60.0f * 0.017453292f * 0.5f)));
    const float aspect = 800.0f / 600.0f;
    const float n = 0.1f;
    const float f = 100.0f;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float expected = 0.0f;
            if (column == 0 && row == 0) expected = 1.0f / (t * aspect);
            if (column == 1 && row == 1) expected = 1.0f / t;
            if (column == 2 && row == 2) expected = -(f + n) / (f - n);
            if (column == 2 && row == 3) expected = -1.0f;
            if (column == 3 && row == 2) expected = -(2.0f * f * n) / (f - n);
            EXPECT_FLOAT_EQ(p[column][row], expected) << "[" << column << "][" << row << "]";
        }
    }
    // Spot values: tan(30 deg) = 0.57735.
    EXPECT_NEAR(p[1][1], 1.7320508f, 1e-5f);
    EXPECT_NEAR(p[0][0], 1.2990381f, 1e-5f);
    EXPECT_NEAR(p[2][2], -1.002002f, 1e-6f);
    EXPECT_NEAR(p[3][2], -0.2002002f, 1e-6f);
}

// Full screen keeps the vertical field of view and widens or narrows the view with the screen.
TEST(Projection, ForAViewOfAnyShape) {
    const Settings settings;
    const glm::mat4 window = buildProjection(settings);
    for (const auto& [width, height] :
         {std::pair{800, 600}, {1920, 1080}, {2560, 1080}, {1280, 1024}, {600, 800}}) {
        const glm::mat4 p = buildProjection(settings, width, height);
        const float aspect = static_cast<float>(width) / static_cast<float>(height);
        EXPECT_EQ(p[1][1], window[1][1]) << width << " x " << height;
        EXPECT_FLOAT_EQ(p[0][0] * aspect, p[1][1]) << width << " x " << height;
        EXPECT_EQ(p[2], window[2]);
        EXPECT_EQ(p[3], window[3]);
        EXPECT_GT(nearPlaneReach(settings, width, height), 0.1f);
    }
    EXPECT_EQ(buildProjection(settings, 800, 600), window);
    EXPECT_EQ(nearPlaneReach(settings, 800, 600), nearPlaneReach(settings));
}

TEST(Projection, At1024By768) {
    Settings settings;
    settings.width = 1024;
    settings.height = 768;
    const glm::mat4 p = buildProjection(settings);
    EXPECT_NEAR(p[0][0], 1.2990381f, 1e-5f);  // same 4:3 aspect as 800 x 600
    EXPECT_NEAR(p[1][1], 1.7320508f, 1e-5f);
    EXPECT_NEAR(p[2][2], -1.002002f, 1e-6f);
    EXPECT_FLOAT_EQ(p[2][3], -1.0f);
    EXPECT_NEAR(p[3][2], -0.2002002f, 1e-6f);
    EXPECT_FLOAT_EQ(p[3][3], 0.0f);
    EXPECT_FLOAT_EQ(p[0][1], 0.0f);
    EXPECT_FLOAT_EQ(p[2][0], 0.0f);
}

TEST(Settings, UnusableValuesAreTreatedAsMissingWithOneLineEach) {
    struct Case {
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {"[window]\nwidth=0\n",
         "ERROR: Setting 'width' in [window] cannot be used: '0'. Using "
         "the default 800 instead.\n"},
        {"[window]\nheight=-600\n",
         "ERROR: Setting 'height' in [window] cannot be used: "
         "'-600'. Using the default 600 instead.\n"},
        {"[window]\nwidth=4294968096\n",
         "ERROR: Setting 'width' in [window] cannot be used: "
         "'4294968096'. Using the default 800 instead.\n"},
        {"[window]\nbrightness=nan\n",
         "ERROR: Setting 'brightness' in [window] cannot be used: "
         "'nan'. Using the default 1 instead.\n"},
        {"[camera]\nfov=0\n",
         "ERROR: Setting 'fov' in [camera] cannot be used: '0'. Using the "
         "default 60 instead.\n"},
        {"[camera]\nfov=180\n",
         "ERROR: Setting 'fov' in [camera] cannot be used: '180'. Using "
         "the default 60 instead.\n"},
        {"[camera]\nfov=inf\n",
         "ERROR: Setting 'fov' in [camera] cannot be used: 'inf'. Using "
         "the default 60 instead.\n"},
        {"[camera]\nnear=0\n",
         "ERROR: Setting 'near' in [camera] cannot be used: '0'. Using the "
         "default 0.1 instead.\n"},
        {"[camera]\nnear=-1e-3\n",
         "ERROR: Setting 'near' in [camera] cannot be used: '-1e-3'. "
         "Using the default 0.1 instead.\n"},
        {"[camera]\nfar=0.1\n",
         "ERROR: Setting 'far' in [camera] cannot be used: '0.1'. Using "
         "the default 100 instead.\n"},
        {"[camera]\nfar=-INFINITY\n",
         "ERROR: Setting 'far' in [camera] cannot be used: "
         "'-INFINITY'. Using the default 100 instead.\n"},
        {"[window]\nrender_scale=0.2\n",
         "ERROR: Setting 'render_scale' in [window] cannot be used: '0.2'. Using 1 instead.\n"},
        {"[window]\nrender_scale=1.5\n",
         "ERROR: Setting 'render_scale' in [window] cannot be used: '1.5'. Using 1 instead.\n"},
        {"[window]\nrender_scale=half\n",
         "ERROR: Setting 'render_scale' in [window] cannot be used: 'half'. Using 1 instead.\n"},
        {"[window]\nrender_scale=0.5x\n",
         "ERROR: Setting 'render_scale' in [window] cannot be used: '0.5x'. Using 1 instead.\n"},
        {"[window]\nrender_scale=nan\n",
         "ERROR: Setting 'render_scale' in [window] cannot be used: 'nan'. Using 1 instead.\n"},
    };
    for (const Case& c : cases) {
        SettingsFile file(c.text);
        Settings s;
        EXPECT_EQ(loadQuietly(file.path, s), c.line) << c.text;
        expectDefaults(s);
    }
}

TEST(Settings, FarIsCheckedAgainstTheNearThatWasRead) {
    {
        SettingsFile file("[camera]\nnear=5\nfar=4\n");
        Settings s;
        EXPECT_EQ(loadQuietly(file.path, s),
                  "ERROR: Setting 'far' in [camera] cannot be used: '4'. Using the default 100 "
                  "instead.\n");
        EXPECT_EQ(s.nearPlane, 5.0);
        EXPECT_EQ(s.farPlane, 100.0);
    }
    {
        // A near distance beyond the default far one: neither can stand, both go back.
        SettingsFile file("[camera]\nnear=150\n");
        Settings s;
        EXPECT_EQ(loadQuietly(file.path, s),
                  "ERROR: Setting 'near' in [camera] cannot be used: '150'. Using the default "
                  "0.1 instead.\n");
        expectDefaults(s);
    }
    {
        // Usable values next to an unusable one are all kept; the projection is finite.
        SettingsFile file("[window]\nwidth=-1\nheight=300\n[camera]\nfov=179.5\nnear=1\nfar=2\n");
        Settings s;
        loadQuietly(file.path, s);
        EXPECT_EQ(s.width, 800);
        EXPECT_EQ(s.height, 300);
        EXPECT_EQ(s.fov, 179.5);
        const glm::mat4 p = buildProjection(s);
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row) EXPECT_TRUE(std::isfinite(p[column][row]));
    }
}

TEST(Settings, TextInMemoryFollowsTheSameRules) {
    testing::internal::CaptureStdout();
    const Settings s = settingsFromText("[window]\nwidth=1024\n[camera]\nfov=-5\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: Setting 'fov' in [camera] cannot be used: '-5'. Using the default 60 "
              "instead.\n");
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.fov, 60.0);
    // Text that is not an INI file at all, embedded zero bytes included, gives the defaults.
    testing::internal::CaptureStdout();
    expectDefaults(settingsFromText(std::string("\0\xff[[=\n=", 7)));
    testing::internal::GetCapturedStdout();
}

TEST(Settings, RenderScaleIsAShareOrAuto) {
    struct Case {
        const char* text;
        float scale;
        bool automatic;
    };
    const Case cases[] = {
        {"", 1.0f, false},
        {"render_scale = 0.25\n", 0.25f, false},
        {"render_scale = 0.7\n", 0.7f, false},
        {"render_scale = 1\n", 1.0f, false},
        {"render_scale = auto\n", 1.0f, true},
        {"render_scale = AUTO\n", 1.0f, true},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        const Settings s = settingsFromText(std::string("[window]\n") + c.text);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.text;
        EXPECT_EQ(s.renderScale, c.scale) << c.text;
        EXPECT_EQ(s.automaticRenderScale, c.automatic) << c.text;
    }
    // The shipped file lets the game choose.
    Settings shipped;
    loadQuietly(settingsPath, shipped);
    EXPECT_TRUE(shipped.automaticRenderScale);
}

TEST(Settings, TheVolumeIsARealFromSilentToFull) {
    for (const double volume : {0.0, 0.25, 1.0}) {
        Settings s;
        testing::internal::CaptureStdout();
        s = settingsFromText("[audio]\nvolume=" + std::to_string(volume) + "\n");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(s.volume, volume);
    }
    Settings shipped;
    loadQuietly(settingsPath, shipped);
    EXPECT_EQ(shipped.volume, 1.0);

    for (const char* value : {"1.5", "-0.1", "nan", "inf", "-inf"}) {
        testing::internal::CaptureStdout();
        const Settings s = settingsFromText(std::string("[audio]\nvolume=") + value + "\n");
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  std::string("ERROR: Setting 'volume' in [audio] cannot be used: '") + value +
                      "'. Using the default 1 instead.\n");
        EXPECT_EQ(s.volume, 1.0) << value;
    }
    // Not a number at all, or in another section: the default, silently.
    testing::internal::CaptureStdout();
    EXPECT_EQ(settingsFromText("[audio]\nvolume=loud\n[window]\nvolume=0\n").volume, 1.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

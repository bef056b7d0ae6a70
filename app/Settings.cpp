#include "app/Settings.h"

#include <INIReader.h>

#include <cmath>
#include <iostream>

Settings loadSettings(const std::string& path) {
    Settings settings;
    INIReader reader(path);
    // ParseError() is -1 when the file cannot be opened and the line number of the first
    // malformed line when it parsed only in part; a partial parse still counts.
    if (reader.ParseError() < 0) {
        std::cout << "ERROR: Failed to load '" << path << "'. Using default values instead."
                  << std::endl;
        return settings;
    }
    settings.width = static_cast<int>(reader.GetInteger("window", "width", settings.width));
    settings.height = static_cast<int>(reader.GetInteger("window", "height", settings.height));
    settings.refreshRate =
        static_cast<int>(reader.GetInteger("window", "refresh_rate", settings.refreshRate));
    settings.fullscreen = reader.GetBoolean("window", "fullscreen", settings.fullscreen);
    settings.title = reader.Get("window", "title", settings.title);
    settings.brightness = reader.GetReal("window", "brightness", settings.brightness);
    settings.fov = reader.GetReal("camera", "fov", settings.fov);
    settings.nearPlane = reader.GetReal("camera", "near", settings.nearPlane);
    settings.farPlane = reader.GetReal("camera", "far", settings.farPlane);
    return settings;
}

glm::mat4 buildProjection(const Settings& settings) {
    const float aspect = static_cast<float>(settings.width) / static_cast<float>(settings.height);
    const float halfAngle = static_cast<float>(settings.fov) * 0.017453292f * 0.5f;
    const float t = static_cast<float>(std::tan(static_cast<double>(halfAngle)));
    const float nearPlane = static_cast<float>(settings.nearPlane);
    const float farPlane = static_cast<float>(settings.farPlane);

    glm::mat4 projection(0.0f);
    projection[0][0] = 1.0f / (t * aspect);
    projection[1][1] = 1.0f / t;
    projection[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    projection[2][3] = -1.0f;
    projection[3][2] = -(2.0f * farPlane * nearPlane) / (farPlane - nearPlane);
    return projection;
}

// Lambert-93, the projection of the atlas: RGF93 on the GRS80 ellipsoid, conic conformal
// secant at 44° and 49° N, origin 46.5° N 3° E at (700000, 6600000) metres. No toolkit here.
#pragma once

namespace orlavine {

struct TPlanLambert93 {
    double X = 0.0; // easting, metres
    double Y = 0.0; // northing, metres
};

// Degrees (latitude, longitude) to easting and northing in metres.
TPlanLambert93 VersLambert93(double latitude, double longitude);
// Easting and northing in metres back to degrees, to about 1e-13 rad.
void DepuisLambert93(double x, double y, double& latitude, double& longitude);

} // namespace orlavine

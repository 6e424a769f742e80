// Ephemeris task driver: the observer of a task.
#include "tasks/progr_run.h"

namespace zelvomat {

using namespace progr_detail;

// ---- Observer ----------------------------------------------------------------

Result<TaskObserver> task_observer(const EphTaskRecord& rec) {
    TaskObserver o;
    if (rec.get(ef::observerKind) != "TOP") return o;
    o.topocentric = true;
    const char mode = rec.get_char(ef::observerMode);
    if (mode < '1' || mode > '4')
        return error_status(std::string("The ephemeris task \"eph.cfg\" has no observer mode in column 157: \"") +
                            mode + "\".");
    o.mode = mode - '0';
    if (o.mode == 1 || o.mode == 2) {
        const std::string_view code = rec.get(ef::observatoryCode);
        auto number = obs_n(code);
        if (!number)
            return error_status("The observatory code \"" + std::string(code) +
                                "\" cannot be read: " + number.message());
        auto r = [&]() -> Result<ObservatoryRecord> {
            if (*number == kGeocentreCode) return geocentre_record();  // needs no record
            auto path = observatory_file(files::kObservatoryRecords);
            if (!path) return path.status();
            auto list = io::RecordFile::open(*path, ObservatoryRecord::kLength, io::OpenMode::Read);
            if (!list) return error_status("The observatory list \"" + *path + "\" cannot be read: " + list.message());
            auto listed = read_observatory(*list, *number);
            if (!listed && has_record_slot(*list, *number)) return listed.status();
            if (!listed)
                return error_status("The observatory \"" + std::string(code) +
                                    "\" is not in the list: " + listed.message());
            return listed;
        }();
        if (!r) return r.status();
        o.observatory = *number;
        o.observatory_name = r->name;
        o.longitude_deg = r->longitude_deg;
        o.rho_cos_phi = r->rho_cos_phi;
        o.rho_sin_phi = r->rho_sin_phi;
    } else if (o.mode == 3) {
        auto lon = typed_number(rec.get(ef::siteLongitude), "longitude");
        auto dxy = typed_number(rec.get(ef::rhoCosPhi), "parallax constant rho cos phi'");
        auto dz = typed_number(rec.get(ef::rhoSinPhi), "parallax constant rho sin phi'");
        if (!lon) return lon.status();
        if (!dxy) return dxy.status();
        if (!dz) return dz.status();
        o.longitude_deg = *lon;
        o.rho_cos_phi = *dxy;
        o.rho_sin_phi = *dz;
    }
    if (o.mode <= 3) {
        if (o.rho_cos_phi != 0.0) {
            double h = 0.0, lat = 0.0, lon = 0.0;
            GEODESY(o.rho_cos_phi * kGeoAEarth, 0.0, o.rho_sin_phi * kGeoAEarth, PointForm::Rectangular,
                    PointForm::Geodetic, h, lat, lon);
            if (!std::isfinite(h) || !std::isfinite(lat))
                return error_status("The observer's parallax constants place it too near the Earth's centre.");
            o.latitude_deg = lat / 3600.0;
            o.height_m = h;
        } else {
            o.latitude_deg = o.rho_sin_phi >= 0.0 ? 90.0 : -90.0;
            o.height_m = std::fabs(o.rho_sin_phi * kGeoAEarth) - kGeoPolarRadius;
        }
    } else {
        auto lon = typed_number(rec.get(ef::geoLongitude), "longitude");
        auto lat = typed_number(rec.get(ef::geoLatitude), "latitude");
        auto height = typed_number(rec.get(ef::geoHeight), "height");
        if (!lon) return lon.status();
        if (!lat) return lat.status();
        if (!height) return height.status();
        o.longitude_deg = *lon;
        o.latitude_deg = *lat;
        o.height_m = *height;
        double x = 0.0, y = 0.0, z = 0.0;
        GEODESY(o.height_m, o.latitude_deg * 3600.0, 0.0, PointForm::Geodetic, PointForm::Rectangular, x, y, z);
        o.rho_cos_phi = std::hypot(x, y) / kGeoAEarth;
        o.rho_sin_phi = z / kGeoAEarth;
    }
    o.site.longitude = o.longitude_deg / kDegPerRad;
    o.site.latitude = o.latitude_deg / kDegPerRad;
    o.site.rho_cos_phi = o.rho_cos_phi * kParallaxScale;
    o.site.rho_sin_phi = o.rho_sin_phi * kParallaxScale;
    return o;
}

}  // namespace zelvomat

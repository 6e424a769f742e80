// Ephemeris task driver: the description text of a task.
#include "core/corestate.h"
#include "tasks/progr_run.h"

namespace zelvomat {

using namespace progr_detail;

// ---- Header ------------------------------------------------------------------

std::vector<std::string> ephemeris_description(const CatalogueState& cat, const EphTaskRecord& rec,
                                               std::int32_t minor_centre, const TaskObserver& observer) {
    std::string r1 = frame_text(rec.get(ef::mainPlane), rec.get(ef::equinox));
    if (rec.get(ef::coordinateType) == "REC") {
        r1 += " Rectangular coordinates";
    } else {
        const std::string_view kind = rec.get(ef::positionKind);
        r1 += kind == "AST" ? " Astrometric" : kind == "GMT" ? " Geometric" : kind == "APP" ? " Apparent" : "";
        r1 += " positions";
    }
    switch (rec.get_char(ef::motionModel)) {
        case '0':
            r1 += " Accuracy: Elliptic motion";
            break;
        case '1':
            r1 += " Accuracy: Nodes";
            break;
        case '2': {
            std::array<int, kPerturbers> sw{};
            for (int i = 1; i <= kPerturbers; ++i) {
                const char c = rec.get_char(ef::perturbers.element(i));
                sw[static_cast<std::size_t>(i - 1)] = (c >= '0' && c <= '9') ? c - '0' : 0;
            }
            r1 += " Accuracy: " + perturber_letters(sw, rec.get_char(ef::relativisticSun) == '1');
            break;
        }
        default:
            break;
    }
    Line r2;
    if (!observer.topocentric) {
        r2.at(1, "Center:");
        auto centre = rec.get_int(ef::centreIndex);
        const std::int64_t c = centre ? *centre : 0;
        if (c < kCentreMinorObject) {
            r2.at(10, centname(static_cast<int>(c)));
        } else {
            r2.at(10, number_field(minor_centre, 6));
            auto name = catname(cat, minor_centre);
            r2.at(17, name ? io::pad(*name, kNameWidth) : std::string(kNameWidth, ' '));
        }
    } else if (observer.mode == 1 || observer.mode == 2) {
        r2.at(2, n_obs(observer.observatory)).at(6, io::pad(observer.observatory_name, 50));
    } else if (observer.mode == 3) {
        r2.at(1, "Longitude=").at(11, rec.get(ef::siteLongitude)).at(22, "dxy=").at(26, rec.get(ef::rhoCosPhi));
        r2.at(36, "dz=").at(40, rec.get(ef::rhoSinPhi));
    } else {
        r2.at(1, "Longitude=").at(11, rec.get(ef::geoLongitude)).at(22, "Latitude=").at(31, rec.get(ef::geoLatitude));
        r2.at(42, "Height=").at(50, rec.get(ef::geoHeight));
    }
    return {io::pad(r1, kLineWidth), r2.s};
}

}  // namespace zelvomat

#include "TAppSettings.h"

#include "SettingsStore.h"

#include <algorithm>
#include <utility>

namespace {

// The values sit at the top level of the program's own store.
const QString kGroup;

TAppSettings ReadStored(const SettingsStore& store, TAppSettings s)
{
    std::optional<int> v;
    const auto read = [&store, &v](const char* key) {
        v = store.ReadInt(kGroup, QLatin1String(key));
        return v.has_value();
    };
    // The reads are one unit: the first value that cannot be read ends them.
    if (!read("Left")) return s;
    s.Left = *v;
    if (!read("Top")) return s;
    s.Top = *v;
    if (!read("Width")) return s;
    s.Width = *v;
    if (!read("Height")) return s;
    s.Height = *v;
    if (!read("Sound")) return s;
    s.Sound = *v != 0;
    if (!read("Port")) return s;
    s.Port = std::uint8_t(*v & 0xFF);
    if (!read("Alg")) return s;
    s.Alg = *v;
    if (!read("WaitStart")) return s;
    s.WaitStart = *v;
    if (!read("FilterInd")) return s;
    s.FilterInd = *v;
    if (!read("Length")) return s;
    s.Length = *v;
    if (!read("Monitor")) return s;
    s.Monitor = *v;
    const std::optional<QString> title = store.ReadString(kGroup, QStringLiteral("Title"));
    if (!title) return s;
    s.Title = *title;
    if (!read("Runden")) return s;
    s.Runden = *v != 0;
    if (!read("ManyStart")) return s;
    s.ManyStart = *v != 0;
    if (!read("LiveResults")) return s;
    s.LiveResults = *v != 0;
    if (!read("LivePort")) return s;
    s.LivePort = *v;
    const std::optional<QString> address = store.ReadString(kGroup, QStringLiteral("LiveAddress"));
    if (!address) return s;
    s.LiveAddress = *address;
    if (!read("LiveQrSpectator")) return s;
    s.LiveQrSpectator = *v != 0;
    return s;
}

} // namespace

TAppSettings LoadSettings(const SettingsStore& store, TAppSettings settings)
{
    return WithinRanges(ReadStored(store, std::move(settings)));
}

TAppSettings WithinRanges(TAppSettings s)
{
    using namespace SettingRange;
    s.Width = std::max(s.Width, MinWidth);
    s.Height = std::max(s.Height, MinHeight);
    s.Alg = std::clamp(s.Alg, 0, MaxAlg);
    s.WaitStart = std::clamp(s.WaitStart, 0, MaxWaitStart);
    if (s.FilterInd < 1 || s.FilterInd > MaxFilterInd)
        s.FilterInd = 1;
    // No length at all is the dialog's design value, as for a length of 0.
    s.Length = s.Length <= 0 ? 1000 : std::clamp(s.Length, MinLength, MaxLength);
    s.Monitor = std::max(s.Monitor, 0);
    if (s.LivePort < 1 || s.LivePort > 65535)
        s.LivePort = 8080;
    return s;
}

bool SaveSettings(SettingsStore& store, const TAppSettings& s)
{
    const auto put = [&store](const char* key, int value) { store.WriteInt(kGroup, QLatin1String(key), value); };
    put("Left", s.Left.value_or(0));
    put("Top", s.Top.value_or(0));
    put("Width", s.Width);
    put("Height", s.Height);
    put("Port", s.Port);
    put("Alg", s.Alg);
    put("Sound", s.Sound ? 1 : 0);
    put("WaitStart", s.WaitStart);
    put("FilterInd", s.FilterInd);
    put("Length", s.Length);
    put("Monitor", s.Monitor);
    store.WriteString(kGroup, QStringLiteral("Title"), s.Title);
    put("Runden", s.Runden ? 1 : 0);
    put("ManyStart", s.ManyStart ? 1 : 0);
    put("LiveResults", s.LiveResults ? 1 : 0);
    put("LivePort", s.LivePort);
    store.WriteString(kGroup, QStringLiteral("LiveAddress"), s.LiveAddress);
    put("LiveQrSpectator", s.LiveQrSpectator ? 1 : 0);
    return store.Flush();
}

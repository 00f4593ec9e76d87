#include "engine/audio_delay.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "engine/player_record.h"
#include "resources/translate.h"

namespace tavimo {

std::string AudioDelayNoteText(int ms) {
    const std::string sign = ms > 0 ? "+" : "";
    return TrArg(TrText("Notes", "Audio delay: %1 ms"), {sign + std::to_string(ms)});
}

int AudioDelays::For(const std::string& output) const {
    auto it = delays_.find(output);
    return it == delays_.end() ? 0 : it->second.ms;
}

void AudioDelays::Set(const std::string& output, int ms) {
    if (output.empty())
        return;
    ms = std::clamp(ms, -kAudioDelayLimitMs, kAudioDelayLimitMs);
    if (ms == 0) {
        delays_.erase(output);
        return;
    }
    delays_[output] = {ms, ++changes_};
    if (delays_.size() > kMaximumOutputs)
        delays_.erase(std::min_element(delays_.begin(), delays_.end(), [](auto& a, auto& b) {
            return a.second.changed < b.second.changed;
        }));
}

std::string AudioDelays::Text() const {
    std::vector<std::pair<unsigned, std::string>> order;
    for (const auto& [output, delay] : delays_)
        order.emplace_back(delay.changed, output + "=" + std::to_string(delay.ms));
    std::sort(order.begin(), order.end());
    std::string text;
    for (const auto& [when, item] : order)
        text += (text.empty() ? "" : ";") + item;
    return text;
}

AudioDelays AudioDelays::FromText(const std::string& text) {
    AudioDelays delays;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find(';', from);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(from, end - from);
        from = end + 1;
        const size_t equals = item.rfind('=');
        if (equals == std::string::npos)
            continue;
        int ms = 0;
        const char* last = item.data() + item.size();
        auto [at, error] = std::from_chars(item.data() + equals + 1, last, ms);
        if (error == std::errc() && at == last)
            delays.Set(item.substr(0, equals), ms);
    }
    return delays;
}

void PlayerRecord::StepAudioDelay(int stepMs) {
    if (!pGB)
        return;
    AudioDelay =
        stepMs == 0 ? 0 : std::clamp(AudioDelay + stepMs, -kAudioDelayLimitMs, kAudioDelayLimitMs);
    OutputDelays.Set(AudioOutput, AudioDelay);
    if (pAD)
        pAD->put_AudioDelay(AudioDelay);
    Note.Show(AudioDelayNoteText(AudioDelay));
}

void PlayerRecord::FollowAudioOutput() {
    std::string output;
    if (!pAD || FAILED(pAD->get_AudioOutput(&output)) || output.empty() || output == AudioOutput)
        return;
    const bool moved = !AudioOutput.empty();
    AudioOutput = output;
    if (!moved && AudioDelay != 0 && OutputDelays.For(output) == 0) {
        OutputDelays.Set(output, AudioDelay);  // set before the output was known
        return;
    }
    const int delay = OutputDelays.For(output);
    if (delay == AudioDelay)
        return;
    AudioDelay = delay;
    pAD->put_AudioDelay(AudioDelay);
    if (moved)
        Note.Show(AudioDelayNoteText(AudioDelay));  // the new output's own delay
}

}  // namespace tavimo

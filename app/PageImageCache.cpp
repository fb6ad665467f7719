#include "app/PageImageCache.h"

namespace folivo::app {

QImage PageImageCache::Find(const Key& key)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == key) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().second;
        }
    }
    return {};
}

void PageImageCache::Store(const Key& key, const QImage& image)
{
    if (image.isNull()) return;
    std::erase_if(entries_, [&key](const auto& entry) { return entry.first == key; });
    entries_.emplace_front(key, image);
    // The newest stays whatever its size: it is the page on the screen.
    int64_t bytes = 0;
    int count = 0;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        bytes += it->second.sizeInBytes();
        if (++count > 1 && (count > MaxImages || bytes > MaxBytes)) {
            entries_.erase(it, entries_.end());
            return;
        }
    }
}

}  // namespace folivo::app

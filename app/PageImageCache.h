// The page view's drawn pages, kept so that showing a page again costs no drawing: the few
// drawn last, within a memory bound, each with everything its drawing depended on.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <list>
#include <utility>

namespace folivo::app {

class PageImageCache {
public:
    // What a drawing of the page view shows, besides the document itself (replacing or
    // re-reading it empties the cache). A drawing serves only for an equal key.
    struct Key {
        int page = 0;
        int zoom = 0;
        int resolution = 0;
        double pixelRatio = 1;
        bool simplified = false;
        // The display font as QFont::toString gives it; empty for the page as printed.
        QString displayFont;
        // Drawing as printed looks pictures up when it draws.
        bool readImages = true;
        // An edit gives a page new and longer content (and new items): the content's place and
        // length tell each edit apart.
        const void* content = nullptr;
        int64_t contentLength = 0;

        bool operator==(const Key&) const = default;
    };

    // At most this many images, and beyond the newest no more than MaxBytes in all: a page at
    // 300 % on a HiDPI screen takes over 100 MB.
    static constexpr int MaxImages = 4;
    static constexpr int64_t MaxBytes = int64_t{128} << 20;

    // The image drawn for key, now the most recently used; null when none is kept.
    QImage Find(const Key& key);
    // Keeps image (a null image is not kept) and lets the least recently used go beyond the bounds.
    void Store(const Key& key, const QImage& image);
    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    // The most recently used first.
    std::list<std::pair<Key, QImage>> entries_;
};

}  // namespace folivo::app

#include "app/ui/SampleApplicationCatalog.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace plovik::ui {

namespace {

std::vector<std::uint8_t> drawnIcon(const std::string& name, unsigned colour) {
    constexpr int kSize = 64;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(4, 4, kSize - 8, kSize - 8), 14, 14);
    painter.fillPath(shape, QColor::fromRgb(colour));
    auto font = painter.font();
    font.setPixelSize(30);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter,
                     QString::fromStdString(name).left(1));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

}  // namespace

SampleApplicationCatalog::SampleApplicationCatalog()
    : SampleApplicationCatalog({
          {"com.slack.Slack", "Slack", 0x4a154b, true},
          {"org.telegram.desktop", "Telegram Desktop", 0x2aa3df, true},
          {"telegram-desktop", "Telegram", 0x229ed9, true},
          {"org.gnome.TextEditor", "Text Editor", 0xe66100, false},
          {"org.mozilla.firefox", "Firefox", 0xff7139, false},
          {"org.mozilla.Thunderbird", "Thunderbird", 0x0a84ff, false},
          {"libreoffice-writer", "LibreOffice Writer", 0x2a7fd4, false},
          {"org.gnome.Terminal", "Terminal", 0x3d3846, false},
      }) {}

SampleApplicationCatalog::SampleApplicationCatalog(std::vector<Sample> samples)
    : samples_(std::move(samples)) {}

EnabledApplication SampleApplicationCatalog::entryFor(const Sample& sample) {
    return EnabledApplication(sample.desktopId, sample.name, std::nullopt,
                              drawnIcon(sample.name, sample.colour), true, true, true, true, 0.9);
}

std::vector<EnabledApplication> SampleApplicationCatalog::suggestedApplications() {
    std::vector<EnabledApplication> entries;
    for (const auto& sample : samples_) {
        if (sample.isSuggested) {
            entries.push_back(entryFor(sample));
        }
    }
    return entries;
}

std::vector<EnabledApplication> SampleApplicationCatalog::installedApplications() {
    std::vector<EnabledApplication> entries;
    for (const auto& sample : samples_) {
        entries.push_back(entryFor(sample));
    }
    return entries;
}

}  // namespace plovik::ui

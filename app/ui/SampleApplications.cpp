#include "app/ui/SampleApplications.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace plovik::ui {

std::vector<SampleApplications::Sample> SampleApplications::defaults() {
    return {
        {"com.slack.Slack", "Slack", 0x4a154b},
        {"org.telegram.desktop", "Telegram Desktop", 0x2aa3df},
        {"telegramdesktop", "Telegram", 0x229ed9},
        {"org.gnome.TextEditor", "Text Editor", 0xe66100},
        {"org.mozilla.firefox", "Firefox", 0xff7139},
        {"org.mozilla.Thunderbird", "Thunderbird", 0x0a84ff},
        {"libreoffice-writer", "LibreOffice Writer", 0x2a7fd4},
        {"org.gnome.Terminal", "Terminal", 0x3d3846},
    };
}

void SampleApplications::install(SimulatedApplicationCatalog& catalog,
                                 const std::vector<Sample>& samples) {
    for (const auto& sample : samples) {
        catalog.install(
            InstalledApplication{sample.identifier, sample.name,
                                 "/usr/share/applications/" + sample.identifier + ".desktop"},
            drawnIcon(sample.name, sample.colour));
    }
}

std::vector<std::uint8_t> SampleApplications::drawnIcon(const std::string& name, unsigned colour) {
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

}  // namespace plovik::ui

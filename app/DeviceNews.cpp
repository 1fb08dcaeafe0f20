#include "app/DeviceNews.h"

#include "devicelink/LibraryRouter.h"

void DeviceNews::Start()
{
    if (!notifiers_.empty())
        return;
    for (int descriptor : library_.WakeDescriptors()) {
        auto notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this] {
            library_.HandleWakeUps();
            if (library_.Changes() != changes_) {
                changes_ = library_.Changes();
                emit Changed();
            }
        });
        notifiers_.push_back(std::move(notifier));
    }
    changes_ = library_.Changes();
}

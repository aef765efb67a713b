#include "ui/session_end.h"

#include "platform/app_error.h"
#include "platform/end_request.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cstdio>

void saveWhenTheSessionEnds(QObject* owner, std::function<void()> saveSettings)
{
    // Nobody may be there to answer a box: a failure goes to the log.
    auto save = [saveSettings] {
        try {
            saveSettings();
        } catch (const AppError& error) {
            std::fprintf(stderr, "vorel: %s\n", error.message().c_str());
        }
    };
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, owner, [save](QSessionManager&) { save(); });
    const int fd = watchEndRequests();
    if (fd < 0) return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [save, fd] {
        const int sig = takeEndRequest(fd);
        if (sig == 0) return;
        // Open dialogs and the toolkit are left as they are: the session is
        // going, and nothing but the settings is unsaved.
        save();
        std::fflush(nullptr);
        endAsSignalled(sig);
    });
}

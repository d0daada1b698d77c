#pragma once
#include "components/TrayShell.h"

#include <QStringList>

#include <memory>
#include <vector>

// What the fake desktop was asked, kept beyond the tray icon's life.
struct FakeTrayRecord {
    QStringList Calls;               // "Add", "Modify", "Delete", "Message" in call order
    QStringList Messages;            // "title|message" of every message shown
    std::vector<TTrayIconData> Data; // the icon data of every Add and Modify
    bool RefuseAdd = false;
};

// A notification area that records calls, can refuse to add, and reports a fixed cursor.
class FakeTrayShell final : public TTrayShell {
  public:
    FakeTrayShell(std::shared_ptr<FakeTrayRecord> record, bool hasArea = true)
        : Record(std::move(record)), HasArea(hasArea) {}

    bool HasNotificationArea() const override { return HasArea; }
    bool Add(const TTrayIconData &data) override {
        Note("Add", data);
        return !Record->RefuseAdd;
    }
    bool Modify(const TTrayIconData &data) override {
        Note("Modify", data);
        return true;
    }
    bool Delete() override {
        Record->Calls << QStringLiteral("Delete");
        return true;
    }
    QPoint CursorPos() const override { return Cursor; }
    void ShowMessage(const TTrayIconData &, const QString &title, const QString &message) override {
        Record->Calls << QStringLiteral("Message");
        Record->Messages << title + QLatin1Char('|') + message;
    }

    // The desktop reporting a mouse action on the icon.
    void Send(TTrayMessage message) {
        if (OnMessage)
            OnMessage(message);
    }

    QPoint Cursor{640, 478};

  private:
    void Note(const char *call, const TTrayIconData &data) {
        Record->Calls << QString::fromLatin1(call);
        Record->Data.push_back(data);
    }

    std::shared_ptr<FakeTrayRecord> Record;
    bool HasArea;
};

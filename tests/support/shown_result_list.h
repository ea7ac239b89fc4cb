#pragma once
// A result list on screen with a recording opener and scripted messages, filled with the given rows
// (file, address, found on) in arrival order; select() makes one shown row current and selected.

#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/result_list.h"
#include <QStringList>
#include <initializer_list>

struct ShownResultList {
    RecordingOpener opener;
    ScriptedMessages messages;
    vorlane::ui::ResultList list{opener, messages};

    explicit ShownResultList(std::initializer_list<QStringList> rows) {
        list.resize(600, 300);
        list.show();
        for (const QStringList& row : rows)
            list.addResultRow(row.at(0), row.at(1), row.at(2));
    }
    void select(int row) {
        list.setCurrentIndex(list.rows().index(row, 0));
        list.selectionModel()->select(list.rows().index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

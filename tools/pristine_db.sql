-- The pristine notebook database shipped as hd/glst.mysql.root.
-- One table holds both record kinds: state 0 is a note, state 1 a contact.
CREATE TABLE mylist (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    title TEXT NOT NULL DEFAULT '',
    content TEXT NOT NULL DEFAULT '',
    tel TEXT NOT NULL DEFAULT '',
    state INTEGER NOT NULL DEFAULT 0,
    cre_date TEXT NOT NULL DEFAULT ''
);
-- The lists read one kind, newest first.
CREATE INDEX mylist_state_date ON mylist (state, cre_date);

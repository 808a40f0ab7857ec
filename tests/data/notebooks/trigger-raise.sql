CREATE TABLE mylist (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    title TEXT NOT NULL DEFAULT '',
    content TEXT NOT NULL DEFAULT '',
    tel TEXT NOT NULL DEFAULT '',
    state INTEGER NOT NULL DEFAULT 0,
    cre_date TEXT NOT NULL DEFAULT ''
);
CREATE TABLE sentinel (what TEXT);
INSERT INTO mylist (title, content, state, cre_date) VALUES ('first', 'a', 0, '2026-12-01 10:00:00');
INSERT INTO mylist (title, content, state, cre_date) VALUES ('second', 'b', 0, '2026-12-02 10:00:00');
CREATE TRIGGER refuse BEFORE DELETE ON mylist BEGIN
    INSERT INTO sentinel VALUES ('delete');
    SELECT RAISE(ABORT, 'deleting is not allowed');
END;

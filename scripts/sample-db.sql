-- The sample database of the demo data source "vetch-sample" (SQLite),
-- created by demo-datasource.sh: a small sales schema with primary keys,
-- unique indexes, a view, Japanese names and values, and a few hundred rows
-- in "売上".

PRAGMA foreign_keys = ON;
BEGIN;

CREATE TABLE departments (
    dept_id   INTEGER PRIMARY KEY,
    dept_name VARCHAR(40) NOT NULL
);
CREATE UNIQUE INDEX departments_name ON departments (dept_name);

CREATE TABLE employees (
    emp_id  INTEGER PRIMARY KEY,
    name    VARCHAR(20) NOT NULL,
    kana    VARCHAR(20),
    email   VARCHAR(80) NOT NULL,
    dept_id INTEGER REFERENCES departments (dept_id),
    hired   DATE,
    salary  INTEGER
);
CREATE UNIQUE INDEX employees_email ON employees (email);
CREATE INDEX employees_dept ON employees (dept_id);

CREATE TABLE "商品" (
    "商品コード" VARCHAR(10) PRIMARY KEY,
    "商品名"     VARCHAR(40) NOT NULL,
    "単価"       INTEGER NOT NULL,
    "備考"       VARCHAR(100)
);
CREATE UNIQUE INDEX "商品_商品名" ON "商品" ("商品名");

CREATE TABLE "売上" (
    "伝票番号"   INTEGER NOT NULL,
    "行番号"     INTEGER NOT NULL,
    "売上日"     DATE NOT NULL,
    "担当者"     INTEGER REFERENCES employees (emp_id),
    "商品コード" VARCHAR(10) NOT NULL REFERENCES "商品" ("商品コード"),
    "数量"       INTEGER NOT NULL,
    PRIMARY KEY ("伝票番号", "行番号")
);

INSERT INTO departments VALUES
    (10, '営業部'),
    (20, '開発部'),
    (30, '総務部'),
    (40, 'Customer Support');

INSERT INTO employees VALUES
    (1, '山田 太郎', 'ﾔﾏﾀﾞ ﾀﾛｳ', 'yamada@example.jp', 10, '2015-04-01', 420000),
    (2, '佐藤 花子', 'ｻﾄｳ ﾊﾅｺ', 'sato@example.jp', 10, '2018-04-01', 365000),
    (3, '鈴木 一郎', 'ｽｽﾞｷ ｲﾁﾛｳ', 'suzuki@example.jp', 20, '2012-10-01', 510000),
    (4, '髙橋 美咲', 'ﾀｶﾊｼ ﾐｻｷ', 'takahashi@example.jp', 20, '2021-04-01', 310000),
    (5, '伊藤 健', 'ｲﾄｳ ｹﾝ', 'ito@example.jp', 30, '2009-07-15', 450000),
    (6, 'John Smith', NULL, 'john.smith@example.com', 40, '2020-01-06', 380000),
    (7, '渡辺 さくら', 'ﾜﾀﾅﾍﾞ ｻｸﾗ', 'watanabe@example.jp', NULL, NULL, NULL);

INSERT INTO "商品" VALUES
    ('A-001', 'りんごジュース 1L', 298, NULL),
    ('A-002', '緑茶（大）', 180, '季節限定～春'),
    ('A-003', 'ミネラルウォーター', 98, NULL),
    ('B-100', 'ｶﾞﾑ ミント', 100, '半角カナ入り'),
    ('B-101', 'チョコレート', 150, NULL),
    ('C-500', '弁当①（幕の内）', 680, '①～⑳の丸数字'),
    ('C-501', 'おにぎり 鮭', 140, NULL),
    ('D-900', 'Coffee beans 500g', 1280, 'imported');

-- 300 invoice lines spread over 120 days, four sellers and all products.
WITH RECURSIVE
    n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300),
    p(k, code) AS (SELECT row_number() OVER (ORDER BY "商品コード") - 1, "商品コード" FROM "商品")
INSERT INTO "売上"
SELECT 1000 + (i - 1) / 3,
       (i - 1) % 3 + 1,
       date('2024-04-01', '+' || ((i * 7) % 120) || ' days'),
       (i % 4) + 1,
       p.code,
       (i * 13) % 9 + 1
FROM n JOIN p ON p.k = (n.i * 5) % 8;

CREATE VIEW "売上明細" AS
    SELECT u."伝票番号", u."行番号", u."売上日", e.name AS "担当者名",
           s."商品名", u."数量", s."単価", u."数量" * s."単価" AS "金額"
    FROM "売上" u
    JOIN "商品" s ON s."商品コード" = u."商品コード"
    LEFT JOIN employees e ON e.emp_id = u."担当者";

COMMIT;

-- Fixed catalogue content for the database tests, loaded by pg-start.sh as
-- the role vetch into the database vetchdb. The tests only read it; they make
-- their own tables elsewhere.
--
-- Two schemas, "vetch" and "vetch2", so that '_' and '%' in a schema pattern
-- can be told from a plain name. Each table has a primary key; the unique
-- and the plain index on customers let a test see that only unique indexes
-- are listed.

CREATE SCHEMA vetch;
CREATE SCHEMA vetch2;

CREATE TABLE vetch.customers (
    customer_id integer PRIMARY KEY,
    name        varchar(40) NOT NULL,
    email       varchar(80) NOT NULL,
    city        varchar(20)
);
CREATE UNIQUE INDEX customers_email_key ON vetch.customers (email);
CREATE INDEX customers_city_idx ON vetch.customers (city);

CREATE TABLE vetch.orders (
    order_id    integer,
    line_no     smallint,
    customer_id integer NOT NULL REFERENCES vetch.customers,
    amount      numeric(10, 2),
    ordered_at  timestamp,
    PRIMARY KEY (order_id, line_no)
);

CREATE TABLE vetch."商品" (
    "商品コード" varchar(10) PRIMARY KEY,
    "商品名"     varchar(10) NOT NULL,
    "価格"       integer
);
CREATE UNIQUE INDEX "商品名_一意" ON vetch."商品" ("商品名");

CREATE VIEW vetch.customer_orders AS
    SELECT c.customer_id, c.name, o.order_id, sum(o.amount) AS total
    FROM vetch.customers c JOIN vetch.orders o ON o.customer_id = c.customer_id
    GROUP BY c.customer_id, c.name, o.order_id;

CREATE FUNCTION vetch.order_total(p_order_id integer) RETURNS numeric
    LANGUAGE sql STABLE
    AS $$ SELECT sum(amount) FROM vetch.orders WHERE order_id = p_order_id $$;

CREATE FUNCTION vetch."税込価格"("価格" integer, "税率" numeric DEFAULT 10) RETURNS integer
    LANGUAGE sql IMMUTABLE
    AS $$ SELECT ("価格" * (100 + "税率") / 100)::integer $$;

CREATE TABLE vetch2.notes (
    note_id integer PRIMARY KEY,
    body    text
);

CREATE FUNCTION vetch2.note_count() RETURNS bigint
    LANGUAGE sql STABLE
    AS $$ SELECT count(*) FROM vetch2.notes $$;

INSERT INTO vetch.customers VALUES
    (1, '山田 太郎', 'taro@example.jp', '東京'),
    (2, '佐藤 花子', 'hanako@example.jp', '大阪'),
    (3, 'John Smith', 'john@example.com', NULL);

INSERT INTO vetch.orders VALUES
    (100, 1, 1, 1200.00, '2024-04-01 10:00:00'),
    (100, 2, 1, 300.50, '2024-04-01 10:00:00'),
    (101, 1, 2, 99.99, '2024-04-02 15:30:00');

INSERT INTO vetch."商品" VALUES
    ('A-001', 'りんごジュース', 150),
    ('A-002', '緑茶（大）', 180),
    ('B-100', 'ｶﾞﾑ', 100);

INSERT INTO vetch2.notes VALUES (1, 'メモ'), (2, NULL);

-- The queries of sales.json, stored in sales.sqlite (table report_queries).

-- query: categories
SELECT category, SUM(amount) AS total
  FROM (SELECT p.category, strftime('%m', i.date) AS month,
               ROUND(l.quantity * l.price * (100 - COALESCE(l.discount, 0)) / 100.0, 2) AS amount
          FROM invoice_lines l
          JOIN invoices i ON i.id = l.invoice_id
          JOIN products p ON p.id = l.product_id)
 GROUP BY category
 ORDER BY category

-- query: monthly
-- Every category has its twelve months, sold or not.
WITH months(month, name) AS (VALUES ('01', 'Gen'), ('02', 'Feb'), ('03', 'Mar'), ('04', 'Apr'), ('05', 'Mag'),
                                    ('06', 'Giu'), ('07', 'Lug'), ('08', 'Ago'), ('09', 'Set'), ('10', 'Ott'),
                                    ('11', 'Nov'), ('12', 'Dic')),
     sales AS (SELECT p.category, strftime('%m', i.date) AS month,
                      ROUND(l.quantity * l.price * (100 - COALESCE(l.discount, 0)) / 100.0, 2) AS amount
                 FROM invoice_lines l
                 JOIN invoices i ON i.id = l.invoice_id
                 JOIN products p ON p.id = l.product_id)
SELECT c.category, m.month, m.name,
       (SELECT COALESCE(SUM(s.amount), 0) FROM sales s WHERE s.category = c.category AND s.month = m.month) AS amount
  FROM (SELECT DISTINCT category FROM products) c
 CROSS JOIN months m
 ORDER BY c.category, m.month

-- The queries of summary.json, stored in summary.sqlite (table report_queries).

-- query: best_customers
SELECT c.name, COUNT(DISTINCT i.id) AS invoices,
       SUM(ROUND(l.quantity * l.price * (100 - COALESCE(l.discount, 0)) / 100.0, 2)) AS amount
  FROM invoice_lines l
  JOIN invoices i ON i.id = l.invoice_id
  JOIN customers c ON c.id = i.customer_id
 GROUP BY c.id
 ORDER BY amount DESC
 LIMIT 15

-- query: best_products
SELECT p.description, SUM(l.quantity) AS quantity, p.unit
  FROM invoice_lines l
  JOIN products p ON p.id = l.product_id
 GROUP BY p.id
 ORDER BY quantity DESC, p.description
 LIMIT 15

-- query: year
SELECT COUNT(*) AS invoices FROM invoices

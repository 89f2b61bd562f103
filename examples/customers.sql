-- The queries of customers.json, stored in customers.sqlite (table report_queries). ":id" is the
-- master record's id: the customer's, then the invoice's.

-- query: customer_list
SELECT id, name, address, postcode, city, province, phone
  FROM customers
 WHERE id IN (SELECT customer_id FROM invoices)
 ORDER BY name

-- query: customer_invoices
SELECT id, number, date, payment FROM invoices WHERE customer_id = :id ORDER BY date, id

-- query: invoice_details
SELECT p.code, p.description, l.quantity, p.unit,
       ROUND(l.quantity * l.price * (100 - COALESCE(l.discount, 0)) / 100.0, 2) AS amount
  FROM invoice_lines l
  JOIN products p ON p.id = l.product_id
 WHERE l.invoice_id = :id
 ORDER BY l.id
